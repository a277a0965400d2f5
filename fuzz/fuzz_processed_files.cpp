// The journal of processed files, from any file through a run of marks,
// forgets and saves (added lines, and the file written anew) to the next run:
// every name still processed comes back, and own files with their sending
// times.
#include <fuzzer/FuzzedDataProvider.h>

#include <limits>
#include <map>
#include <set>

#include "FuzzSupport.h"
#include "app/exchange/ProcessedFiles.h"

using exchange::ProcessedFiles;

namespace {

// An own file's sending time as the list tells it: the first cutoff that lists it.
bool SentAt(const ProcessedFiles& list, const std::string& name, int64_t sent) {
    const auto listed = [&](int64_t cutoff) {
        const std::vector<std::string> names = list.OwnSentBefore(cutoff);
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    return listed(sent + 1) && !listed(sent);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string file = in.ConsumeRandomLengthString(2000);
    const std::string path = fuzz::WriteScratch(exchange::kProcessedFileName, file);
    ProcessedFiles list(path);
    fuzz::Require(list.Load(), "a readable journal was refused");

    // Names the run may know: the ends of the file's lines (those that need no
    // escaping read as themselves), and the run's own.
    std::set<std::string> names;
    for (size_t start = 0; start < file.size();) {
        const size_t end = std::min(file.find('\n', start), file.size());
        const std::string line = file.substr(start, end - start);
        names.insert(line.substr(std::min(line.size(), line.rfind(' ') + 1)));
        start = end + 1;
    }
    std::map<std::string, int64_t> own;  // as the run left them
    while (in.remaining_bytes() > 0) {
        std::string name = in.ConsumeRandomLengthString(30);
        if (name.empty()) continue;
        names.insert(name);
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: list.MarkProcessed(name); break;
            case 1: {
                // Any time a record can give, and more (the last second has no cutoff after it).
                const int64_t sent = in.ConsumeIntegralInRange<int64_t>(std::numeric_limits<int64_t>::min(),
                                                                        std::numeric_limits<int64_t>::max() - 1);
                list.RememberOwn(name, sent);
                own[name] = sent;
                break;
            }
            case 2: list.ForgetOwn(name); own.erase(name); break;
            case 3: list.KeepOnly({name}); break;
            default: fuzz::Require(list.Save(), "a save failed");
        }
    }
    fuzz::Require(list.Save(), "a save failed");

    ProcessedFiles next(path);
    fuzz::Require(next.Load(), "a written journal cannot be read");
    for (const std::string& name : names)
        if (list.Contains(name)) fuzz::Require(next.Contains(name), "a processed name was lost");
    for (const auto& [name, sent] : own)
        fuzz::Require(SentAt(next, name, sent), "an own file lost its sending time");
    return 0;
}
