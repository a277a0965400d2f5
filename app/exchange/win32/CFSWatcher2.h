// Windows folder watchers over change notifications, polled with zero waits.
// CFSWatcher2 creates its notification lazily and renews it after a long
// quiet spell; CFSWatcher creates it at once and never renews it.
#pragma once

#include <windows.h>

#include "../IFSWatcher.h"
#include "outside/win32/Handles.h"

namespace exchange {

// File names, attributes, size and last write, in the folder itself.
inline constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                                      FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The wait-result mapping both watchers share: true for a change (re-armed),
// otherwise the diagnostic text.
bool PollChangeNotification(HANDLE notification, std::string& diagnostic);

class CFSWatcher2 final : public IFSWatcher {
public:
    ~CFSWatcher2() override;
    bool StartWatch(const std::string& folderPath) override;
    bool IsSomethingChanged(std::string& diagnostic) override;

    int IdlePolls() const { return idlePolls_; }
    // How many notifications have been requested so far (renewals show here).
    int NotificationsRequested() const { return requests_; }

private:
    bool StartWatch(bool force);
    void StopWatch();

    outside::UniqueChangeNotification handle_;
    std::string path_;
    int32_t idlePolls_ = 0;
    int requests_ = 0;
};

class CFSWatcher final : public IFSWatcher {
public:
    bool StartWatch(const std::string& folderPath) override;
    bool IsSomethingChanged(std::string& diagnostic) override;

private:
    outside::UniqueChangeNotification handle_;
};

}  // namespace exchange
