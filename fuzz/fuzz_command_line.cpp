// The command-line splitter: any text splits, and arguments quoted the way
// Windows programs quote them (CreateProcess callers, shortcuts) split back
// into the same arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "outside/CommandLine.h"

namespace {

// The conventional quoting that CommandLineToArgvW undoes.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\r\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    for (size_t i = 0;; ++i) {
        size_t slashes = 0;
        while (i < arg.size() && arg[i] == '\\') {
            ++i;
            ++slashes;
        }
        if (i == arg.size()) {
            out.append(slashes * 2, '\\');
            break;
        }
        if (arg[i] == '"') {
            out.append(slashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(slashes, '\\');
            out += arg[i];
        }
    }
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool withProgram = in.ConsumeBool();
    std::vector<std::string> args;
    while (in.remaining_bytes() > 0 && args.size() < 12) {
        std::string arg = in.ConsumeRandomLengthString(80);
        std::erase(arg, '\0');
        args.push_back(std::move(arg));
    }
    std::string line = withProgram ? "\"C:\\Program Files\\Quillet\\Quillet.exe\"" : "";
    for (const std::string& arg : args) line += (line.empty() ? "" : " ") + Quote(arg);
    fuzz::Require(outside::SplitCommandLine(line, withProgram) == args, "quoted arguments do not split back");

    // Any text at all: what it splits into, quoted again, splits the same.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> split = outside::SplitCommandLine(raw, false);
    std::string again;
    for (const std::string& arg : split) again += (again.empty() ? "" : " ") + Quote(arg);
    fuzz::Require(outside::SplitCommandLine(again, false) == split, "a split line does not survive quoting");
    return 0;
}
