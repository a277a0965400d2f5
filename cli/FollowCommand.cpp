// follow: the waiting messages, then each new one as it lands, until Ctrl+C.
// The rhythm is the chat window's: a 250 ms tick asks the folder watcher, a
// pass that left files for later runs again after a second, and a quiet
// folder is looked at every five seconds all the same.
#include <set>

#include "Chat.h"
#include "Commands.h"
#include "FollowState.h"
#include "Platform.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "app/exchange/IFSWatcher.h"
#include "app/exchange/UpdatePoller.h"
#include "app/settings/modSettings.h"
#include "app/startup/CExchangePathProtector.h"
#include "app/startup/modMain.h"
#include "outside/Folder.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace cli {
namespace {

// Files are saved as done every so many, so that a crash in a long pass
// prints little again.
constexpr int kSaveEvery = 50;

class Follower {
public:
    Follower(const Arguments& arguments, FollowState* state)
        : verbose_(arguments.verbose), printer_(arguments.json), state_(state) {}

    // One pass; true when a file was left for later.
    bool Pass() {
        const std::vector<std::string> paths = ListWaitingFiles(modMain::ChatFolder);
        std::set<std::string> present;
        for (const std::string& path : paths) present.insert(outside::esGetFileName(path));
        bool retry = false;
        int done = 0;
        for (const std::string& path : paths) {
            if (StopRequested()) break;
            const std::string name = outside::esGetFileName(path);
            if ((state_ && state_->Has(name)) || stuck_.count(path)) continue;
            const DecodedFile file = ReadWaitingFile(path, modSettings::ClientGuid);
            ReportNotices(file, verbose_);
            if (file.result == exchange::DispatchResult::Retry) {
                retry = true;
                continue;
            }
            if (file.result == exchange::DispatchResult::Processed && file.hasMessage && !printer_.Print(file)) {
                outputGone_ = true;  // not printed, so not done
                break;
            }
            Done(path, name, file.result);
            if (++done % kSaveEvery == 0) SaveState(present);
        }
        SaveState(present);
        return retry;
    }

    bool OutputGone() const { return outputGone_; }

private:
    // Deleted only when the chat says so, as the program's pass does;
    // otherwise hidden (Windows) or remembered.
    void Done(const std::string& path, const std::string& name, exchange::DispatchResult result) {
        const bool remove = modSettings::DeleteMessageFiles &&
                            (result == exchange::DispatchResult::Processed || !modSettings::HideBrokenMessageFiles);
        if (remove && outside::RemoveFile(path)) return;
        if (state_)
            state_->Add(name);
        else if (!outside::HideFile(path))
            stuck_.insert(path);  // not shown again this run
    }

    void SaveState(const std::set<std::string>& present) {
        if (!state_) return;
        try {
            // Only while the chat is there: an unmounted folder lists as empty
            // and must not make follow forget everything it has printed.
            state_->Save(outside::esIsFileExist(modMain::ChatFilePath) ? &present : nullptr);
        } catch (const outside::RuntimeError& e) {
            if (!stateWarned_)
                ReportError("quillet-cli follow: " + state_->File() +
                            " cannot be written; messages may be printed again next time: " + e.Description());
            stateWarned_ = true;
        }
    }

    bool verbose_;
    MessagePrinter printer_;
    FollowState* state_;
    std::set<std::string> stuck_;
    bool outputGone_ = false;
    bool stateWarned_ = false;
};

}  // namespace

int FollowCommand(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        throw CliError(kExitUsage, std::string("quillet-cli follow: ") +
                                       (arguments.operands.empty() ? "no chat given" : "one chat at a time") + "\n" +
                                       UsageLine("follow"));
    OpenChat(arguments.operands[0]);
    LoadIdentity();
    modSettings::ReadGlobalSettings();
    modSettings::ReadChatSettings();  // "Delete Message Files"

    // One client per chat folder on a machine, as the program has it.
    startup::CExchangePathProtector guard;
    if (guard.IsPathProtected(modMain::ChatFolder))
        throw CliError(kExitFolderInUse, modMain::ChatFolder + ": " + "В этом каталоге уже идёт чат." +
                                             "\n(another Quillet or quillet-cli follow on this machine has this "
                                             "chat folder)");

    const std::string stateFolder = FollowStateFolder();
    std::unique_ptr<FollowState> state;
    if (!stateFolder.empty()) {
        state = std::make_unique<FollowState>(stateFolder, modMain::ChatFilePath);
        state->Load();
    }

    CatchStopRequests();
    const std::unique_ptr<exchange::IFSWatcher> watcher = exchange::CreateFolderWatcher();
    watcher->StartWatch(modMain::ChatFolder);
    Follower follower(arguments, state.get());

    bool retryPending = follower.Pass();
    int ticksSinceRetry = 0;
    int ticksSincePass = 0;
    while (!StopRequested() && !follower.OutputGone()) {
        Pause(exchange::kTimerIntervalMs);
        if (StopRequested()) break;
        std::string diagnostic;
        const bool changed = watcher->IsSomethingChanged(diagnostic);
        if (!diagnostic.empty() && arguments.verbose)
            ReportError("Watcher.IsSomethingChanged() ==> " + diagnostic);
        const bool retryDue = retryPending && ++ticksSinceRetry >= exchange::kRetryTicks;
        const bool quietTooLong = ++ticksSincePass >= exchange::kQuietPassTicks;
        if (changed || retryDue || quietTooLong) {
            retryPending = follower.Pass();
            ticksSinceRetry = 0;
            ticksSincePass = 0;
        }
    }
    return follower.OutputGone() ? kExitFailed : kExitOk;
}

}  // namespace cli
