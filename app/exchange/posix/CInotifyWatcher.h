// The POSIX folder watcher over inotify: same contract as the Windows one,
// including the renewal after a long quiet spell.
#pragma once

#include "../IFSWatcher.h"

namespace exchange {

class CInotifyWatcher final : public IFSWatcher {
public:
    ~CInotifyWatcher() override;
    bool StartWatch(const std::string& folderPath) override;
    bool IsSomethingChanged(std::string& diagnostic) override;

    int IdlePolls() const { return idlePolls_; }
    int NotificationsRequested() const { return requests_; }

private:
    bool StartWatch(bool force);
    void StopWatch();

    int fd_ = -1;
    std::string path_;
    int idlePolls_ = 0;
    int requests_ = 0;
};

}  // namespace exchange
