#include "MessageDispatcher.h"

#include <algorithm>
#include <cctype>

#include "MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/startup/modMain.h"
#include "app/support/modAppWindowTitle.h"
#include "outside/Folder.h"
#include "outside/Sorter.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {
namespace {

// Passes messages through, but holds notices until the caller knows whether
// the file really is broken or only not finished yet, and whether its reason
// to wait has been told before; a message the ledger has seen is not passed on.
class HeldNotices final : public IMessageDisplay {
public:
    HeldNotices(IMessageDisplay& target, MessageLedger& ledger, const std::string& path)
        : target_(target), ledger_(ledger), path_(path) {}
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        MessageKind kind, const std::string& fileName) override {
        target_.DisplayMessage(userName, text, time, kind, fileName);
    }
    void DisplayMessageFrom(const std::string& senderGuid, const std::string& userName, const std::string& text,
                            outside::DateTimeRecord time, MessageKind kind, const std::string& fileName) override {
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
    std::vector<Notice> held_;
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

FileRemoval RealFileRemoval() {
    return {[](const std::string& path) { return outside::RemoveFile(path); },
            [](const std::string& path) { return outside::HideFile(path); }};
}

MessageLedger& MessageDispatcher::Ledger() {
    if (!ledger_)
        ledger_ = std::make_unique<MessageLedger>(
            modSettings::LogsFolder.empty() ? std::string()
                                            : outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName));
    return *ledger_;
}

bool MessageDispatcher::IsFileSyncing(const std::string& path) const {
    if (!markersListed_) return outside::esIsFileExist(path + ".!sync");
    return syncMarkers_.count(Upper(outside::esGetFileName(path) + ".!sync")) > 0;
}

void MessageDispatcher::ListMessageFiles(const std::string& extension, std::vector<std::string>& files) const {
    for (const std::string& name : outside::ListPlainFiles(modMain::ChatFolder, extension))
        files.push_back(outside::esBuildFileName2(modMain::ChatFolder, name));
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
    HeldNotices notices(host_, Ledger(), path);
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

void MessageDispatcher::Remove(const std::string& path, DispatchResult result) {
    const bool deleteFiles = modSettings::DeleteMessageFiles;
    const std::string prefix = "DispatchAllMessages() ==> ";
    bool gone = false;
    if (result == DispatchResult::Processed) {
        if (!deleteFiles) {
            gone = removal_.hide(path);
        } else if (removal_.remove(path)) {
            gone = true;
        } else {
            gone = removal_.hide(path);
            host_.ShowDebugMessage(prefix + "Файл успешно обработан, но его удалить " + "не удалось. Он был скрыт." +
                                   "\r\n" + path);
        }
    } else {
        if (!deleteFiles || modSettings::HideBrokenMessageFiles) {
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
    // Saved first: a file goes only when the log that holds its message is on the disk.
    if (!host_.SaveLog(true, resetName)) return false;
    std::vector<std::pair<std::string, DispatchResult>> batch;
    batch.swap(awaiting_);
    awaitingPaths_.clear();
    batchStart_ = std::chrono::steady_clock::now();
    for (const auto& [path, result] : batch) Remove(path, result);
    return true;
}

void MessageDispatcher::RunPass(std::vector<std::string>& files, PassSummary& summary) {
    const int count = static_cast<int>(files.size());
    summary.files = count;
    batchStart_ = std::chrono::steady_clock::now();
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
                "Сообщение " + outside::asFormatLong(i) + " из " + outside::asFormatLong(count), modMain::ChatFilePath));
        const std::string& path = files[static_cast<size_t>(i - 1)];
        const DispatchResult result = DispatchMessage(path);
        switch (result) {
            case DispatchResult::Processed: ++summary.processed; break;
            case DispatchResult::Broken: ++summary.broken; break;
            case DispatchResult::Retry: ++summary.retried; break;
        }
        if (result != DispatchResult::Retry) {
            awaiting_.emplace_back(path, result);
            awaitingPaths_.insert(path);
        }
        if (static_cast<int>(awaiting_.size()) >= kRemovalBatchFiles ||
            std::chrono::steady_clock::now() - batchStart_ >= kRemovalBatchTime)
            SaveAndRemove(false);
        host_.PumpMessagesOnce();
    }
}

void MessageDispatcher::EndPass() {
    SaveAndRemove(false);
    host_.SetCaption(modAppWindowTitle::DocumentWindowTitle("", modMain::ChatFilePath));
    Ledger().Flush();
    host_.PassFinished();
}

PassSummary MessageDispatcher::DispatchAllMessages() {
    PassSummary summary;
    if (inPass_) return summary;
    inPass_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inPass_};

    std::vector<std::string> files;
    ListMessageFiles(kBinaryExtension, files);
    ListMessageFiles(kXmlExtension, files);
    ListMessageFiles(kTextExtension, files);
    std::erase_if(files, [&](const std::string& path) {
        return stuck_.count(path) > 0 || awaitingPaths_.count(path) > 0 || (removal_.hidden && removal_.hidden(path));
    });
    // What waiting files said is forgotten once they are gone.
    const std::set<std::string> listed(files.begin(), files.end());
    std::erase_if(waitingSaid_, [&](const auto& entry) { return listed.count(entry.first) == 0; });
    if (files.empty()) {
        if (!awaiting_.empty()) SaveAndRemove(false);  // a log that failed before may work now
        return summary;
    }
    syncMarkers_.clear();
    for (const std::string& name : outside::ListPlainFiles(modMain::ChatFolder, "!sync"))
        syncMarkers_.insert(Upper(name));
    markersListed_ = true;
    struct Forget {
        bool& listed;
        ~Forget() { listed = false; }
    } forget{markersListed_};
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
            host_.SetCaption(modAppWindowTitle::DocumentWindowTitle("", modMain::ChatFilePath));
        } catch (...) {
        }
        try {
            Ledger().Flush();
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
