#include "CommandLine.h"

#include "RuntimeError.h"

namespace outside {

std::vector<std::string> SplitCommandLine(std::string_view text, bool firstIsProgram) {
    std::vector<std::string> args;
    size_t i = 0;
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) ++i;
    };
    if (firstIsProgram) {
        // The program path has no escapes: quoted up to the next quote, or up to a blank.
        skipBlanks();
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') ++i;
            if (i < text.size()) ++i;
        } else {
            while (i < text.size() && !isBlank(text[i])) ++i;
        }
    }
    for (;;) {
        skipBlanks();
        if (i >= text.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < text.size() && (quoted || !isBlank(text[i]))) {
            if (text[i] == '\\') {
                size_t slashes = 0;
                while (i < text.size() && text[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < text.size() && text[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"';  // "" inside quotes is one literal quote
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += text[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

CommandLineArgs CommandLineArgs::Parse(std::string_view text, bool withProgram) {
    return CommandLineArgs(SplitCommandLine(text, withProgram));
}

const std::string& CommandLineArgs::Item(int index) const {
    if (index < 0 || index >= Count()) throw RuntimeError(kErrSubscriptOutOfRange, "Индекс вне диапазона");
    return args_[static_cast<size_t>(index)];
}

}  // namespace outside
