// The dispatch pass: lists the visible message files of the chat folder in
// sending order, reads each with the reader of its format, and deletes or
// hides it according to the chat's settings.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "IMessageDisplay.h"
#include "MessageLedger.h"
#include "MessageTypes.h"

namespace exchange {

// What a pass needs from the chat window besides showing lines.
class IDispatchHost : public IMessageDisplay {
public:
    virtual bool SaveLog(bool silent, bool resetName) = 0;
    virtual void ClearConversation() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Lets the window's message loop run once (input, painting, timers).
    virtual void PumpMessagesOnce() = 0;
    // A pass that saw files has ended.
    virtual void PassFinished() {}
};

struct PassSummary {
    int files = 0;
    int processed = 0;
    int broken = 0;
    int retried = 0;
};

inline constexpr int kOverflowBlock = 300;
inline constexpr int kProgressThreshold = 10;
// A file younger than this that fails to decode may still be arriving.
inline constexpr int64_t kYoungFileMilliseconds = 2000;

// How a pass removes files; the defaults are the real file operations.
struct FileRemoval {
    std::function<bool(const std::string&)> remove;
    std::function<bool(const std::string&)> hide;
};
FileRemoval RealFileRemoval();

class MessageDispatcher {
public:
    explicit MessageDispatcher(IDispatchHost& host, FileRemoval removal = RealFileRemoval())
        : host_(host), removal_(std::move(removal)) {}

    // One full pass over the chat folder; does nothing when called from inside a pass.
    PassSummary DispatchAllMessages();
    // Appends the full paths of the visible files with this extension.
    void ListMessageFiles(const std::string& extension, std::vector<std::string>& files) const;
    DispatchResult DispatchMessage(const std::string& path);
    // True while the synchronisation service's partial download (path + ".!sync") exists.
    // During a pass it is answered from one listing of the folder's markers:
    // asking the file system for a missing name costs a scan of the whole
    // folder on some systems (Wine among them), once per file.
    bool IsFileSyncing(const std::string& path) const;

    bool InPass() const { return inPass_; }
    // The chat's ledger of shown messages, beside its logs (made on first use).
    MessageLedger& Ledger();

private:
    void CleanUp(const std::string& path, DispatchResult result);

    IDispatchHost& host_;
    FileRemoval removal_;
    bool inPass_ = false;
    // Files that could be neither deleted nor hidden: not shown again this run.
    std::set<std::string> stuck_;
    // The ".!sync" markers of the folder, listed at the start of the pass.
    std::set<std::string> syncMarkers_;
    bool markersListed_ = false;
    std::unique_ptr<MessageLedger> ledger_;
};

}  // namespace exchange
