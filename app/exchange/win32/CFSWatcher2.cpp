#include "CFSWatcher2.h"

#include "outside/win32/Wide.h"

namespace exchange {

bool PollChangeNotification(HANDLE notification, std::string& diagnostic) {
    const DWORD result = ::WaitForSingleObject(notification, 0);
    switch (result) {
        case WAIT_OBJECT_0:
            ::FindNextChangeNotification(notification);
            return true;
        case WAIT_TIMEOUT:
            return false;
        case WAIT_ABANDONED:
            diagnostic = "WAIT_ABANDONED";
            return false;
        case WAIT_FAILED:
            diagnostic = "WAIT_FAILED";
            return false;
        default:
            diagnostic = "WAIT_(" + std::to_string(static_cast<int32_t>(result)) + ")";
            return false;
    }
}

CFSWatcher2::~CFSWatcher2() { StopWatch(); }

bool CFSWatcher2::StartWatch(const std::string& folderPath) {
    path_ = folderPath;
    return true;
}

bool CFSWatcher2::StartWatch(bool force) {
    if (handle_ && !force) return true;
    StopWatch();
    ++requests_;
    handle_.reset(::FindFirstChangeNotificationW(outside::W(path_).c_str(), FALSE, kWatchFilter));
    return handle_.valid();
}

void CFSWatcher2::StopWatch() { handle_.reset(); }

bool CFSWatcher2::IsSomethingChanged(std::string& diagnostic) {
    diagnostic.clear();
    if (path_.empty()) {
        diagnostic = "Path not defined";
        return false;
    }
    bool started;
    if (idlePolls_ > kMaxIdlePolls) {
        idlePolls_ = 0;
        started = StartWatch(true);
    } else {
        started = StartWatch(false);
    }
    if (!started) {
        diagnostic = "FindFirstChangeNotification() failed";
        return false;
    }
    const bool changed = PollChangeNotification(handle_.get(), diagnostic);
    idlePolls_ = changed ? 0 : idlePolls_ + 1;
    return changed;
}

bool CFSWatcher::StartWatch(const std::string& folderPath) {
    handle_.reset(::FindFirstChangeNotificationW(outside::W(folderPath).c_str(), FALSE, kWatchFilter));
    return handle_.valid();
}

bool CFSWatcher::IsSomethingChanged(std::string& diagnostic) {
    diagnostic.clear();
    if (!handle_) return false;
    return PollChangeNotification(handle_.get(), diagnostic);
}

std::unique_ptr<IFSWatcher> CreateFolderWatcher() { return std::make_unique<CFSWatcher2>(); }

}  // namespace exchange
