// The dispatch pass: lists the visible message files of the chat folder in
// sending order, reads each with the reader of its format, and deletes or
// hides it according to the chat's settings.
//
// A file is deleted or hidden only after the log holds what it showed: read
// files wait in a batch, and each batch ends with a log save (which reaches
// the disk) and then the removal of its files. A process killed at any moment
// thus loses no message; at most the files of one batch (kRemovalBatchFiles)
// are shown once more on the next start.
//
// In the shared-folder mode (SharedFolder.h) nothing is hidden or deleted
// after reading: the batch's names go into the list of processed files
// instead, and a pass reads only what that list lacks.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "IMessageDisplay.h"
#include "MessageLedger.h"
#include "MessageTypes.h"
#include "ProcessedFiles.h"
#include "SharedFolder.h"
#include "app/settings/modSettings.h"
#include "app/startup/ClaimedChat.h"

namespace exchange {

// What a pass needs from the chat window besides showing lines.
class IDispatchHost : public IMessageDisplay {
public:
    // The open chat; the host keeps it as long as the dispatcher lives.
    virtual const startup::ClaimedChat& Chat() const = 0;
    virtual bool SaveLog(bool silent, bool resetName) = 0;
    virtual void ClearConversation() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Lets the window's message loop run once (input, painting, timers).
    virtual void PumpMessagesOnce() = 0;
    // A pass that saw files has ended.
    virtual void PassFinished() {}
    // How read files are treated, asked at the start of each pass.
    virtual ReceivingPolicy Policy() { return ChatReceivingPolicy(Chat().ChatFolder); }
};

struct PassSummary {
    int files = 0;
    int processed = 0;
    int broken = 0;
    int retried = 0;
};

using modSettings::kOverflowBlock;
inline constexpr int kProgressThreshold = 10;
// A file younger than this that fails to decode may still be arriving.
inline constexpr int64_t kYoungFileMilliseconds = 2000;
// A batch of read files ends after this many files or this long, whichever
// comes first: the log is saved and the batch's files are removed.
inline constexpr int kRemovalBatchFiles = 50;
inline constexpr std::chrono::milliseconds kRemovalBatchTime{250};
// How often a pass deletes one's own expired files and looks at the
// shared-folder markers (the first pass always does).
inline constexpr std::chrono::seconds kHousekeepingInterval{60};

// How a pass removes files; the defaults are the real file operations.
struct FileRemoval {
    std::function<bool(const std::string&)> remove;
    std::function<bool(const std::string&)> hide;
    // For a hide that only remembers (quillet-cli on POSIX): true for a file
    // it has hidden, which a pass then does not list. Unset: none.
    std::function<bool(const std::string&)> hidden = {};
};
FileRemoval RealFileRemoval();

class MessageDispatcher {
public:
    explicit MessageDispatcher(IDispatchHost& host, FileRemoval removal = RealFileRemoval())
        : host_(host), removal_(std::move(removal)) {}
    // Writes what the client remembers (the ledger, the processed files).
    ~MessageDispatcher();
    MessageDispatcher(const MessageDispatcher&) = delete;
    MessageDispatcher& operator=(const MessageDispatcher&) = delete;

    // One full pass over the chat folder; does nothing when called from inside a pass.
    // Whatever leaves it, a pass ends with its batch saved and removed, the
    // plain caption and PassFinished.
    PassSummary DispatchAllMessages();
    // Appends the full paths of the visible files with this extension.
    void ListMessageFiles(const std::string& extension, std::vector<std::string>& files) const;
    // Reads one file. A file that has to wait (Retry) says why in a debug line
    // once, and again only when the reason changes.
    DispatchResult DispatchMessage(const std::string& path);
    // True while the synchronisation service's partial download (path + ".!sync") exists.
    // During a pass it is answered from one listing of the folder's markers:
    // asking the file system for a missing name costs a scan of the whole
    // folder on some systems (Wine among them), once per file.
    bool IsFileSyncing(const std::string& path) const;

    bool InPass() const { return inPass_; }
    // The chat the passes read.
    const startup::ClaimedChat& Chat() const { return host_.Chat(); }
    // Read files whose removal waits for the log.
    size_t FilesAwaitingRemoval() const { return awaiting_.size(); }
    // The chat closes, its log saved: the files read so far are removed and
    // what the client remembers is written. The poller does this as it ends.
    void Close();
    // The chat's ledger of shown messages, beside its logs (made on first use).
    MessageLedger& Ledger();
    // The chat's list of processed and own files, beside its logs (made on first use).
    ProcessedFiles& ProcessedList();
    // The ledger in file instead (empty: in memory only), for a host that keeps no logs.
    void KeepLedgerIn(const std::string& file) { ledger_ = std::make_unique<MessageLedger>(file); }

private:
    struct Waiting {
        std::string path;
        DispatchResult result;
        std::optional<int64_t> ownSent;  // one's own message, sent then
    };
    DispatchResult ReadMessage(const std::string& path, IMessageDisplay& display);
    // The files this pass reads, in the way of its mode.
    std::vector<std::string> ListPass();
    void RunPass(std::vector<std::string>& files, PassSummary& summary);
    void EndPass();
    // Saves the log and, when that worked, removes the files read so far.
    // Either way the next try waits for a new batch.
    bool SaveAndRemove(bool resetName);
    void Remove(const Waiting& file);
    void Flush();
    // Reads what the client remembers, saying once when a file cannot be read.
    void LoadMemory();
    // After a pass, now and then: one's own expired files go, and the markers
    // of the shared-folder mode are kept or noticed.
    void Housekeeping();

    IDispatchHost& host_;
    FileRemoval removal_;
    bool inPass_ = false;
    // Files that could be neither deleted nor hidden: not shown again this run.
    std::set<std::string> stuck_;
    // Read, shown, and waiting for the log before they are removed; not read again.
    std::vector<Waiting> awaiting_;
    std::set<std::string> awaitingPaths_;
    std::chrono::steady_clock::time_point batchStart_;
    int batchFiles_ = 0;
    ReceivingPolicy policy_;
    std::optional<int64_t> lastOwnSent_;  // of the file DispatchMessage read last
    std::unique_ptr<ProcessedFiles> processed_;
    std::optional<std::chrono::steady_clock::time_point> lastHousekeeping_;
    bool housekeptShared_ = false;
    // The markers of the shared-folder mode in the folder, as the pass listed them.
    std::optional<std::vector<std::string>> sharedMarkers_;
    bool ledgerTold_ = false, processedTold_ = false, sharedFolderTold_ = false;
    // What each waiting file last said about why it waits.
    std::map<std::string, std::string> waitingSaid_;
    std::unique_ptr<MessageLedger> ledger_;
    // The ".!sync" markers of the folder, listed at the start of the pass.
    std::set<std::string> syncMarkers_;
    bool markersListed_ = false;
};

}  // namespace exchange
