// quillet-cli's follow state, from any state file (or none) through a run that
// adds names and forgets those no longer in the folder, to the next run: the
// next run knows exactly the names this one knew.
#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <set>

#include "FuzzSupport.h"
#include "cli/FollowState.h"
#include "outside/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    static const std::string folder = fuzz::ScratchFolder() + "/follow";
    std::filesystem::create_directories(folder);
    const std::string chat = in.ConsumeRandomLengthString(60);
    const std::string file = in.ConsumeRandomLengthString(1000);
    cli::FollowState state(folder, chat);
    if (!file.empty()) outside::WriteFileAtomically(state.File(), file);
    state.Load();

    // Names to ask about: those of the file's lines, and the run's.
    std::vector<std::string> names;
    for (size_t start = 0; start < file.size();) {
        const size_t end = std::min(file.find('\n', start), file.size());
        if (std::string name; cli::DecodeStateLine(file.substr(start, end - start), name)) names.push_back(name);
        start = end + 1;
    }
    std::set<std::string> present;
    while (in.remaining_bytes() > 0) {
        std::string name = in.ConsumeRandomLengthString(30);
        if (name.empty()) continue;
        if (in.ConsumeBool()) state.Add(name);
        if (in.ConsumeBool()) present.insert(name);
        names.push_back(std::move(name));
    }
    state.Save(present.empty() ? nullptr : &present);

    cli::FollowState next(folder, chat);
    next.Load();
    for (const std::string& name : names) fuzz::Require(next.Has(name) == state.Has(name), "a name changed on its way");
    outside::RemoveFile(state.File());
    return 0;
}
