#include "UpdatePoller.h"

#include "outside/Folder.h"

namespace exchange {

UpdatePoller::~UpdatePoller() {
    try {
        dispatcher_.Close();
    } catch (...) {
    }
}

void UpdatePoller::CheckFolder() {
    const std::string& folder = dispatcher_.Chat().ChatFolder;
    const bool there = outside::IsFolder(folder);
    if (there == !folderMissing_) return;
    folderMissing_ = !there;
    display_.ShowSystemMessage((there ? std::string("Папка чата снова доступна. Сообщения принимаются.")
                                      : std::string("Папка чата недоступна. Сообщения будут приняты, когда она "
                                                    "появится снова.")) +
                               "\r\n" + folder);
}

void UpdatePoller::Pass() {
    ++passes_;
    const PassSummary summary = dispatcher_.DispatchAllMessages();
    retryPending_ = summary.retried > 0;
    ticksSinceRetry_ = 0;
    ticksSincePass_ = 0;
}

void UpdatePoller::Tick() {
    if (inTick_ || dispatcher_.InPass()) return;
    inTick_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inTick_};

    if (!firstPassDone_) {
        firstPassDone_ = true;
        Pass();
        return;
    }
    std::string diagnostic;
    const bool changed = watcher_.IsSomethingChanged(diagnostic);
    // A watcher that cannot watch says so at every tick; it is told once, and again when it changes.
    if (diagnostic != lastDiagnostic_ && !diagnostic.empty())
        display_.ShowDebugMessage("Watcher.IsSomethingChanged() ==> " + diagnostic);
    lastDiagnostic_ = diagnostic;
    const bool retryDue = retryPending_ && ++ticksSinceRetry_ >= kRetryTicks;
    const bool quietTooLong = ++ticksSincePass_ >= kQuietPassTicks;
    const bool wasMissing = folderMissing_;
    if (!diagnostic.empty() || folderMissing_ || quietTooLong) CheckFolder();
    if (changed || retryDue || quietTooLong || (wasMissing && !folderMissing_)) Pass();
}

}  // namespace exchange
