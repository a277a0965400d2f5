// The folder watcher: asked, never waited on, whether anything in one folder
// (not its subfolders) changed since the last question.
#pragma once

#include <memory>
#include <string>

namespace exchange {

class IFSWatcher {
public:
    virtual ~IFSWatcher() = default;
    // True when the watcher accepted the folder.
    virtual bool StartWatch(const std::string& folderPath) = 0;
    // True when a change was seen since the previous call; diagnostic is a
    // text for the debug notice, empty when all is well. Never blocks.
    virtual bool IsSomethingChanged(std::string& diagnostic) = 0;
};

// After this many consecutive quiet polls the notification is renewed.
inline constexpr int kMaxIdlePolls = 100;

// The watcher the chat window uses (CFSWatcher2 on Windows, inotify on POSIX).
std::unique_ptr<IFSWatcher> CreateFolderWatcher();

}  // namespace exchange
