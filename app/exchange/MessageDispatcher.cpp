#include "MessageDispatcher.h"

#include <algorithm>
#include <cctype>

#include "ChatFolderListing.h"
#include "MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/support/modAppWindowTitle.h"
#include "outside/Folder.h"
#include "outside/Sorter.h"
#include "outside/Support.h"
#include "outside/RuntimeError.h"
#include "outside/TextFile.h"

namespace exchange {
namespace {

// Passes messages through, but holds notices until the caller knows whether
// the file really is broken or only not finished yet, and whether its reason
// to wait has been told before; a message the ledger has seen is not passed on.
class HeldNotices final : public IMessageDisplay {
public:
    HeldNotices(IMessageDisplay& target, MessageLedger& ledger, const std::string& path, std::optional<int64_t>& ownSent)
        : target_(target), ledger_(ledger), path_(path), ownSent_(ownSent) {}
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        MessageKind kind, const std::string& fileName) override {
        target_.DisplayMessage(userName, text, time, kind, fileName);
    }
    void DisplayMessageFrom(const std::string& senderGuid, const std::string& userName, const std::string& text,
                            outside::DateTimeRecord time, MessageKind kind, const std::string& fileName) override {
        if (kind == MessageKind::Mine) ownSent_ = SecondsSinceEpoch(time);
        const std::string identity = MessageLedger::Identity(senderGuid, time, text);
        if (ledger_.Seen(identity)) {
            ShowDebugMessage("DispatchMessage() ==> " + std::string("Это сообщение уже было показано. Копию убираем.") +
                             "\r\n" + path_);
            return;
        }
        target_.DisplayMessageFrom(senderGuid, userName, text, time, kind, fileName);
        ledger_.Remember(identity, path_);
    }
    void ShowSystemMessage(const std::string& text) override { held_.push_back({false, text}); }
    void ShowDebugMessage(const std::string& text) override { held_.push_back({true, text}); }
    void DropSystemNotices() {
        std::erase_if(held_, [](const Notice& n) { return !n.debug; });
    }
    std::string DebugText() const {
        std::string all;
        for (const Notice& n : held_)
            if (n.debug) all += n.text + '\n';
        return all;
    }
    void Drop() { held_.clear(); }
    void Release() {
        std::vector<Notice> notices;
        notices.swap(held_);
        for (const Notice& n : notices) {
            if (n.debug)
                target_.ShowDebugMessage(n.text);
            else
                target_.ShowSystemMessage(n.text);
        }
    }

private:
    struct Notice {
        bool debug;
        std::string text;
    };
    IMessageDisplay& target_;
    MessageLedger& ledger_;
    const std::string& path_;
    std::optional<int64_t>& ownSent_;
    std::vector<Notice> held_;
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Where a list the client keeps about the chat lives; nowhere (memory only) without a logs folder.
std::string BesideLogs(const char* name) {
    return modSettings::LogsFolder.empty() ? std::string() : outside::esBuildFileName2(modSettings::LogsFolder, name);
}

}  // namespace

FileRemoval RealFileRemoval() {
    return {[](const std::string& path) { return outside::RemoveFile(path); },
            [](const std::string& path) { return outside::HideFile(path); }};
}

MessageDispatcher::~MessageDispatcher() {
    try {
        Flush();
    } catch (...) {
    }
}

ProcessedFiles& MessageDispatcher::ProcessedList() {
    if (!processed_) processed_ = std::make_unique<ProcessedFiles>(BesideLogs(kProcessedFileName));
    return *processed_;
}

MessageLedger& MessageDispatcher::Ledger() {
    if (!ledger_) ledger_ = std::make_unique<MessageLedger>(BesideLogs(kLedgerFileName));
    return *ledger_;
}

bool MessageDispatcher::IsFileSyncing(const std::string& path) const {
    if (!markersListed_) return outside::esIsFileExist(path + ".!sync");
    return syncMarkers_.count(Upper(outside::esGetFileName(path) + ".!sync")) > 0;
}

void MessageDispatcher::ListMessageFiles(const std::string& extension, std::vector<std::string>& files) const {
    for (const std::string& name : outside::ListPlainFiles(Chat().ChatFolder, extension))
        files.push_back(outside::esBuildFileName2(Chat().ChatFolder, name));
}

DispatchResult MessageDispatcher::ReadMessage(const std::string& path, IMessageDisplay& display) {
    if (IsFileSyncing(path)) {
        display.ShowDebugMessage("DispatchMessage() ==> " + std::string("Файл ещё синхронизируется. Пока пропускаем.") +
                                 "\r\n" + path);
        return DispatchResult::Retry;
    }
    const std::string extension = Upper(outside::esGetFileExtension(path));
    if (extension == kBinaryExtension) return DispatchMessage_Binary(path, display, modSettings::ClientGuid);
    if (extension == kXmlExtension) return DispatchMessage_XML(path, display, modSettings::ClientGuid);
    if (extension == kTextExtension) return DispatchMessage_Text(path, display);
    display.ShowDebugMessage("DispatchMessage() ==> " + std::string("Непонятное расширение файла. Игнорируем.") +
                             "\r\n" + path);
    return DispatchResult::Processed;
}

DispatchResult MessageDispatcher::DispatchMessage(const std::string& path) {
    lastOwnSent_.reset();
    HeldNotices notices(host_, Ledger(), path, lastOwnSent_);
    DispatchResult result = ReadMessage(path, notices);
    if (result == DispatchResult::Broken) {
        const int64_t age = outside::FileAgeMilliseconds(path);
        if (age >= 0 && age < kYoungFileMilliseconds) {
            notices.DropSystemNotices();
            notices.ShowDebugMessage("DispatchMessage() ==> " +
                                     std::string("Файл не разобран, но он только что записан. Пока пропускаем.") +
                                     "\r\n" + path);
            result = DispatchResult::Retry;
        }
    }
    if (result == DispatchResult::Retry) {
        // Every pass meets a waiting file again; what did not change is not news.
        std::string said = notices.DebugText();
        const auto known = waitingSaid_.find(path);
        if (known != waitingSaid_.end() && known->second == said)
            notices.Drop();
        else
            waitingSaid_[path] = std::move(said);
    } else {
        waitingSaid_.erase(path);
    }
    notices.Release();
    return result;
}

void MessageDispatcher::Remove(const Waiting& file) {
    const std::string& path = file.path;
    const std::string prefix = "DispatchAllMessages() ==> ";
    if (policy_.sharedFolder) {
        // Nothing is touched: the others have still to read it.
        const std::string name = outside::esGetFileName(path);
        if (file.ownSent)
            ProcessedList().RememberOwn(name, *file.ownSent);
        else
            ProcessedList().MarkProcessed(name);
        if (file.result == DispatchResult::Broken)
            host_.ShowDebugMessage(prefix + "Файл оказался ошибочным. Он оставлен в общей папке." + "\r\n" + path);
        Ledger().Settle(path);
        return;
    }
    const bool deleteFiles = policy_.deleteMessageFiles;
    bool gone = false;
    if (file.result == DispatchResult::Processed) {
        if (!deleteFiles) {
            gone = removal_.hide(path);
        } else if (file.ownSent) {
            // One's own file goes only after the retention: deleted at once, it
            // would often be gone before the sync service has carried it.
            gone = removal_.hide(path);
            ProcessedList().RememberOwn(outside::esGetFileName(path), *file.ownSent);
        } else if (removal_.remove(path)) {
            gone = true;
        } else {
            gone = removal_.hide(path);
            host_.ShowDebugMessage(prefix + "Файл успешно обработан, но его удалить " + "не удалось. Он был скрыт." +
                                   "\r\n" + path);
        }
    } else {
        if (!deleteFiles || policy_.hideBrokenMessageFiles) {
            gone = removal_.hide(path);
            host_.ShowDebugMessage(prefix + "Файл оказался ошибочным. Он был скрыт." + "\r\n" + path);
        } else if (removal_.remove(path)) {
            gone = true;
            host_.ShowDebugMessage(prefix + "Файл оказался ошибочным. Он был удалён." + "\r\n" + path);
        } else {
            gone = removal_.hide(path);
            host_.ShowDebugMessage(prefix + "Файл оказался ошибочным, но его удалить " + "не удалось. Он был скрыт." +
                                   "\r\n" + path);
        }
    }
    if (gone)
        Ledger().Settle(path);
    else
        stuck_.insert(path);
}

bool MessageDispatcher::SaveAndRemove(bool resetName) {
    // A save that failed is tried again with the next batch, not after every file.
    batchStart_ = std::chrono::steady_clock::now();
    batchFiles_ = 0;
    // Saved first: a file goes only when the log that holds its message is on the disk.
    if (!host_.SaveLog(true, resetName)) return false;
    std::vector<Waiting> batch;
    batch.swap(awaiting_);
    awaitingPaths_.clear();
    for (const Waiting& file : batch) Remove(file);
    if (processed_) processed_->Save();
    return true;
}

void MessageDispatcher::Flush() {
    if (ledger_) ledger_->Flush();
    if (processed_) processed_->Save();
}

void MessageDispatcher::Close() {
    if (inPass_) return;
    if (!awaiting_.empty()) SaveAndRemove(false);
    Flush();
}

void MessageDispatcher::RunPass(std::vector<std::string>& files, PassSummary& summary) {
    const int count = static_cast<int>(files.size());
    summary.files = count;
    batchStart_ = std::chrono::steady_clock::now();
    batchFiles_ = 0;
    for (int i = 1; i <= count; ++i) {
        if (modSettings::ClearScrollbackOnOverflow && i > 1 && (i - 1) % kOverflowBlock == 0) {
            if (SaveAndRemove(true)) {
                host_.ClearConversation();
                host_.ShowSystemMessage("Получено " + outside::asFormatLong(kOverflowBlock) +
                                        " входящих сообщений. Сообщения очищены, " + "но сохранились в истории.");
            }
        }
        if (count > kProgressThreshold)
            host_.SetCaption(modAppWindowTitle::DocumentWindowTitle(
                "Сообщение " + outside::asFormatLong(i) + " из " + outside::asFormatLong(count), Chat().ChatFilePath));
        const std::string& path = files[static_cast<size_t>(i - 1)];
        const DispatchResult result = DispatchMessage(path);
        switch (result) {
            case DispatchResult::Processed: ++summary.processed; break;
            case DispatchResult::Broken: ++summary.broken; break;
            case DispatchResult::Retry: ++summary.retried; break;
        }
        if (result != DispatchResult::Retry) {
            awaiting_.push_back({path, result, lastOwnSent_});
            awaitingPaths_.insert(path);
            ++batchFiles_;
        }
        if (batchFiles_ >= kRemovalBatchFiles || std::chrono::steady_clock::now() - batchStart_ >= kRemovalBatchTime) {
            if (awaiting_.empty())
                batchStart_ = std::chrono::steady_clock::now();
            else
                SaveAndRemove(false);
        }
        host_.PumpMessagesOnce();
    }
}

void MessageDispatcher::EndPass() {
    SaveAndRemove(false);
    host_.SetCaption(modAppWindowTitle::DocumentWindowTitle("", Chat().ChatFilePath));
    Housekeeping();
    Flush();
    host_.PassFinished();
}

std::vector<std::string> MessageDispatcher::ListPass() {
    std::vector<std::string> files;
    syncMarkers_.clear();
    sharedMarkers_.reset();
    if (!policy_.sharedFolder) {
        ListMessageFiles(kBinaryExtension, files);
        ListMessageFiles(kXmlExtension, files);
        ListMessageFiles(kTextExtension, files);
        std::erase_if(files, [&](const std::string& path) {
            return stuck_.count(path) > 0 || awaitingPaths_.count(path) > 0 || (removal_.hidden && removal_.hidden(path));
        });
        if (!files.empty())
            for (const std::string& name : outside::ListPlainFiles(Chat().ChatFolder, "!sync"))
                syncMarkers_.insert(Upper(name));
    } else {
        // One listing, hidden files included; only names not processed before are read.
        const std::optional<ChatFolderListing> listing = ListChatFolder(Chat().ChatFolder);
        if (!listing) return files;
        ProcessedFiles& processed = ProcessedList();
        processed.KeepOnly({listing->messageFiles.begin(), listing->messageFiles.end()});
        for (const std::string& name : listing->messageFiles) {
            if (processed.Contains(name)) continue;
            std::string path = outside::esBuildFileName2(Chat().ChatFolder, name);
            if (!awaitingPaths_.count(path)) files.push_back(std::move(path));
        }
        syncMarkers_.insert(listing->syncMarkers.begin(), listing->syncMarkers.end());
        sharedMarkers_ = listing->sharedMarkers;
    }
    markersListed_ = true;
    return files;
}

void MessageDispatcher::LoadMemory() {
    const auto load = [&](auto& list, bool ledger, bool& told) {
        if (list.Load() || told) return;
        told = true;
        host_.ShowSystemMessage(UnreadableListNotice(ledger, list.LastError(), list.Path()));
    };
    load(Ledger(), true, ledgerTold_);
    if (policy_.sharedFolder || policy_.deleteMessageFiles || processed_) load(ProcessedList(), false, processedTold_);
}

void MessageDispatcher::Housekeeping() {
    // Done at once when the mode has changed.
    const auto now = std::chrono::steady_clock::now();
    if (lastHousekeeping_ && now - *lastHousekeeping_ < kHousekeepingInterval &&
        housekeptShared_ == policy_.sharedFolder)
        return;
    lastHousekeeping_ = now;
    housekeptShared_ = policy_.sharedFolder;
    const std::string& folder = Chat().ChatFolder;

    // One's own files older than the retention.
    if (policy_.sharedFolder || policy_.deleteMessageFiles) {
        const int64_t cutoff =
            SecondsSinceEpoch(outside::esGetSystemTime()) - int64_t{policy_.retentionDays} * 24 * 60 * 60;
        for (const std::string& name : ProcessedList().OwnSentBefore(cutoff)) {
            const std::string path = outside::esBuildFileName2(folder, name);
            if (removal_.remove(path) || !outside::esIsFileExist(path)) ProcessedList().ForgetOwn(name);
        }
    }

    // The marker: kept in the shared-folder mode, noticed (and one's own taken away) in the ordinary one.
    const std::string mine = SharedMarkerName(modSettings::ClientGuid);
    if (policy_.sharedFolder) {
        // Not listed when the folder could not be: nothing to write into either.
        if (sharedMarkers_ && std::find(sharedMarkers_->begin(), sharedMarkers_->end(), mine) == sharedMarkers_->end()) {
            try {
                outside::WriteFileAtomically(outside::esBuildFileName2(folder, mine),
                                             std::string("\xEF\xBB\xBF") + SharedMarkerText());
            } catch (const outside::RuntimeError&) {
                // A read-only share: the others go without the marker.
            }
        }
        return;
    }
    bool others = false;
    for (const std::string& name : outside::ListPlainFiles(folder, kSharedMarkerExtension)) {
        if (name == mine)
            outside::RemoveFile(outside::esBuildFileName2(folder, name));
        else
            others = true;
    }
    if (others && !sharedFolderTold_) {
        sharedFolderTold_ = true;
        host_.ShowSystemMessage(SharedFolderInUseNotice());
    }
}

PassSummary MessageDispatcher::DispatchAllMessages() {
    PassSummary summary;
    if (inPass_) return summary;
    inPass_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inPass_};
    struct Forget {
        bool& listed;
        ~Forget() { listed = false; }
    } forget{markersListed_};

    policy_ = host_.Policy();
    LoadMemory();
    std::vector<std::string> files = ListPass();
    // What waiting files said is forgotten once they are gone.
    const std::set<std::string> listed(files.begin(), files.end());
    std::erase_if(waitingSaid_, [&](const auto& entry) { return listed.count(entry.first) == 0; });
    if (files.empty()) {
        if (!awaiting_.empty()) SaveAndRemove(false);  // a log that failed before may work now
        Housekeeping();
        Flush();
        return summary;
    }
    outside::Sorter().Sort(files);

    try {
        RunPass(files, summary);
    } catch (...) {
        // The pass-end work still runs, each step on its own; the error goes on to the caller.
        try {
            SaveAndRemove(false);
        } catch (...) {
        }
        try {
            host_.SetCaption(modAppWindowTitle::DocumentWindowTitle("", Chat().ChatFilePath));
        } catch (...) {
        }
        try {
            Flush();
        } catch (...) {
        }
        try {
            host_.PassFinished();
        } catch (...) {
        }
        throw;
    }
    EndPass();
    return summary;
}

}  // namespace exchange
