// follow: the waiting messages, then each new one as it lands, until Ctrl+C.
// The chat window's own pieces do the work: its poller (a 250 ms tick asks the
// folder watcher, a pass that left files for later runs again after a second,
// a quiet folder is looked at every five seconds all the same) and its pass.
// What differs is what "done" means for a file: on Windows it is hidden, as
// Quillet hides it; elsewhere follow remembers its name in a state file.
#include <memory>
#include <set>

#include "Chat.h"
#include "Commands.h"
#include "FollowState.h"
#include "Platform.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "SystemReason.h"
#include "TerminalHost.h"
#include "app/exchange/IFSWatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/UpdatePoller.h"
#include "app/settings/modSettings.h"
#include "app/startup/CExchangePathProtector.h"
#include "outside/Folder.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace cli {
namespace {

// Saves follow's state when it has changed; a state that cannot be written
// costs a warning (once), not the run.
class StateKeeper {
public:
    StateKeeper(FollowState* state, const startup::ClaimedChat& chat) : state_(state), chat_(chat) {}
    ~StateKeeper() {
        try {
            Save();
        } catch (...) {
        }
    }
    StateKeeper(const StateKeeper&) = delete;
    StateKeeper& operator=(const StateKeeper&) = delete;

    void Save() {
        if (!state_ || !state_->Changed()) return;
        try {
            // Names of files gone from the folder are forgotten, but only while
            // the chat is there: an unmounted folder lists as empty and must not
            // make follow forget everything it has printed.
            if (outside::esIsFileExist(chat_.ChatFilePath)) {
                std::set<std::string> present;
                for (const char* extension :
                     {exchange::kBinaryExtension, exchange::kXmlExtension, exchange::kTextExtension})
                    for (std::string& name : outside::ListPlainFiles(chat_.ChatFolder, extension))
                        present.insert(std::move(name));
                state_->Save(&present);
            } else {
                state_->Save(nullptr);
            }
        } catch (const outside::RuntimeError& e) {
            if (!warned_)
                ReportError("quillet-cli follow: cannot write " + state_->File() + ": " + SystemReason(e) +
                            "; messages may be printed again next time");
            warned_ = true;
        }
    }

private:
    FollowState* state_;
    const startup::ClaimedChat& chat_;
    bool warned_ = false;
};

// Where follow hides files, as Quillet does, it shares Quillet's ledger of the
// chat, beside the chat's logs.
void UseQuilletsLedger(const std::string& chatFilePath) {
    modSettings::LogGuid = modSettings::GetLogGuid(chatFilePath);
    modSettings::LogsFolder = outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData),
                                                        "Greyfen Works", "Quillet", "Logs", modSettings::LogGuid);
}

}  // namespace

int FollowCommand(const Arguments& arguments) {
    const startup::ChatPtr chat = OpenChatOperand(arguments);
    TerminalHost host(PrintOptionsOf(arguments, true), chat);
    LoadIdentity();
    modSettings::ReadGlobalSettings();
    modSettings::ReadChatSettings(chat->ChatFilePath);  // "Delete Message Files"
    modSettings::ClearScrollbackOnOverflow = false;  // a terminal has no pane to empty

    // One client per chat folder on a machine, as the program has it.
    startup::CExchangePathProtector guard;
    if (guard.IsPathProtected(chat->ChatFolder))
        throw CliError(kExitFolderInUse, "quillet-cli: " + chat->ChatFolder +
                                             ": another Quillet or quillet-cli follow on this machine has this "
                                             "chat folder");

    const std::string stateFolder = FollowStateFolder();
    std::unique_ptr<FollowState> state;
    exchange::FileRemoval removal;
    if (!stateFolder.empty()) {
        state = std::make_unique<FollowState>(stateFolder, chat->ChatFilePath);
        try {
            state->Load();
        } catch (const outside::RuntimeError& e) {
            throw CliError(kExitFailed, "quillet-cli follow: cannot read " + state->File() + ": " + SystemReason(e));
        }
        FollowState& names = *state;
        removal.remove = [&host](const std::string& path) { return host.MayTake(path) && outside::RemoveFile(path); };
        removal.hide = [&host, &names](const std::string& path) {
            if (!host.MayTake(path)) return false;
            names.Add(outside::esGetFileName(path));
            return true;
        };
        removal.hidden = [&names](const std::string& path) { return names.Has(outside::esGetFileName(path)); };
        if (arguments.newOnly && !state->Exists()) host.SetBacklog(TerminalHost::Backlog::TakeUnprinted);
    } else {
        UseQuilletsLedger(chat->ChatFilePath);
        removal.remove = [&host](const std::string& path) { return host.MayTake(path) && outside::RemoveFile(path); };
        removal.hide = [&host](const std::string& path) { return host.MayTake(path) && outside::HideFile(path); };
        // Nothing remembers a skipped backlog here: it stays for Quillet.
        if (arguments.newOnly) host.SetBacklog(TerminalHost::Backlog::LeaveAlone);
    }

    exchange::MessageDispatcher dispatcher(host, removal);
    if (state) dispatcher.KeepLedgerIn(state->LedgerFile());
    StateKeeper keeper(state.get(), *chat);
    host.OnBatch([&keeper] { keeper.Save(); });

    CatchStopRequests();
    const std::unique_ptr<exchange::IFSWatcher> watcher = exchange::CreateFolderWatcher();
    watcher->StartWatch(chat->ChatFolder);
    exchange::UpdatePoller poller(*watcher, dispatcher, host);
    try {
        while (!StopRequested()) {
            poller.Tick();
            host.SetBacklog(TerminalHost::Backlog::Print);  // the first tick's pass had the backlog
            keeper.Save();
            Pause(exchange::kTimerIntervalMs);
        }
    } catch (const PassStopped&) {
    }
    keeper.Save();
    if (host.OutputGone()) return OutputFailed();
    if (host.AcknowledgementsEnded()) {
        ReportError("quillet-cli follow: standard input ended before the last message was acknowledged; "
                    "it will be printed again next time");
        return kExitFailed;
    }
    return StopExitStatus();
}

}  // namespace cli
