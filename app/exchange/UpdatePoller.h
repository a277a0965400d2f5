// What the chat window's 250 ms timer does: the first tick runs a pass; later
// ticks ask the watcher and run a pass on a change. A pass that left files
// for later runs again after a second, and a quiet folder is looked at every
// few seconds all the same. A chat folder that goes away (a sync service
// re-creating it, a network drive) is reported once, and receiving resumes
// with a notice when it is back.
#pragma once

#include <string>

#include "IFSWatcher.h"
#include "MessageDispatcher.h"

namespace exchange {

inline constexpr int kTimerIntervalMs = 250;
// Ticks before a pass that left files as Retry runs again by itself (about a second).
inline constexpr int kRetryTicks = 4;
// Ticks of silence after which a pass runs anyway (five seconds): change
// notifications can be lost (Wine drops those that come while one is being
// re-armed, and network folders may send none), and a message must not wait
// for some unrelated later change.
inline constexpr int kQuietPassTicks = 20;

class UpdatePoller {
public:
    UpdatePoller(IFSWatcher& watcher, MessageDispatcher& dispatcher, IMessageDisplay& display)
        : watcher_(watcher), dispatcher_(dispatcher), display_(display) {}
    // Receiving ends with the poller: the dispatcher removes what it has read
    // and writes what it remembers (MessageDispatcher::Close).
    ~UpdatePoller();
    UpdatePoller(const UpdatePoller&) = delete;
    UpdatePoller& operator=(const UpdatePoller&) = delete;

    // One timer tick; a tick that arrives while a pass is running does nothing.
    void Tick();

    bool FirstPassDone() const { return firstPassDone_; }
    int Passes() const { return passes_; }

private:
    void Pass();
    // Says once when the chat folder goes away and once when it is back.
    void CheckFolder();

    IFSWatcher& watcher_;
    MessageDispatcher& dispatcher_;
    IMessageDisplay& display_;
    bool firstPassDone_ = false;
    bool inTick_ = false;
    bool retryPending_ = false;
    int ticksSinceRetry_ = 0;
    int ticksSincePass_ = 0;
    int passes_ = 0;
    bool folderMissing_ = false;
    std::string lastDiagnostic_;
};

}  // namespace exchange
