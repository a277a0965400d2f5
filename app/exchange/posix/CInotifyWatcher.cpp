#include "CInotifyWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

namespace exchange {
namespace {
constexpr uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY |
                           IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
}

CInotifyWatcher::~CInotifyWatcher() { StopWatch(); }

bool CInotifyWatcher::StartWatch(const std::string& folderPath) {
    path_ = folderPath;
    return true;
}

bool CInotifyWatcher::StartWatch(bool force) {
    if (fd_ >= 0 && !force) return true;
    StopWatch();
    ++requests_;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    if (::inotify_add_watch(fd_, path_.c_str(), kMask | IN_ONLYDIR) < 0) {
        StopWatch();
        return false;
    }
    return true;
}

void CInotifyWatcher::StopWatch() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool CInotifyWatcher::IsSomethingChanged(std::string& diagnostic) {
    diagnostic.clear();
    if (path_.empty()) {
        diagnostic = "Path not defined";
        return false;
    }
    const bool force = idlePolls_ > kMaxIdlePolls;
    if (force) idlePolls_ = 0;
    if (!StartWatch(force)) {
        diagnostic = "inotify_add_watch() failed";
        return false;
    }
    // Drain every queued event: one poll answers for all of them.
    bool changed = false;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            changed = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) diagnostic = "read() failed: " + std::to_string(errno);
        break;
    }
    idlePolls_ = changed ? 0 : idlePolls_ + 1;
    return changed;
}

std::unique_ptr<IFSWatcher> CreateFolderWatcher() { return std::make_unique<CInotifyWatcher>(); }

}  // namespace exchange
