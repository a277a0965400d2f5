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

// Passes lines through, but holds system notices until the caller knows whether
// the file really is broken or only not finished yet; a message the ledger
// has seen is not passed on.
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
            target_.ShowDebugMessage("DispatchMessage() ==> " +
                                     std::string("Это сообщение уже было показано. Копию убираем.") + "\r\n" + path_);
            return;
        }
        target_.DisplayMessage(userName, text, time, kind, fileName);
        ledger_.Remember(identity, path_);
    }
    void ShowSystemMessage(const std::string& text) override { held_.push_back(text); }
    void ShowDebugMessage(const std::string& text) override { target_.ShowDebugMessage(text); }
    void Release() {
        for (const std::string& text : held_) target_.ShowSystemMessage(text);
        held_.clear();
    }

private:
    IMessageDisplay& target_;
    MessageLedger& ledger_;
    const std::string& path_;
    std::vector<std::string> held_;
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

DispatchResult MessageDispatcher::DispatchMessage(const std::string& path) {
    if (IsFileSyncing(path)) {
        host_.ShowDebugMessage("DispatchMessage() ==> " + std::string("Файл ещё синхронизируется. Пока пропускаем.") +
                               "\r\n" + path);
        return DispatchResult::Retry;
    }
    const std::string extension = Upper(outside::esGetFileExtension(path));
    HeldNotices display(host_, Ledger(), path);
    DispatchResult result;
    if (extension == kBinaryExtension)
        result = DispatchMessage_Binary(path, display, modSettings::ClientGuid);
    else if (extension == kXmlExtension)
        result = DispatchMessage_XML(path, display, modSettings::ClientGuid);
    else if (extension == kTextExtension)
        result = DispatchMessage_Text(path, display);
    else {
        host_.ShowDebugMessage("DispatchMessage() ==> " + std::string("Непонятное расширение файла. Игнорируем.") +
                               "\r\n" + path);
        return DispatchResult::Processed;
    }
    if (result == DispatchResult::Broken) {
        const int64_t age = outside::FileAgeMilliseconds(path);
        if (age >= 0 && age < kYoungFileMilliseconds) {
            host_.ShowDebugMessage("DispatchMessage() ==> " +
                                   std::string("Файл не разобран, но он только что записан. Пока пропускаем.") +
                                   "\r\n" + path);
            return DispatchResult::Retry;
        }
    }
    display.Release();
    return result;
}

void MessageDispatcher::CleanUp(const std::string& path, DispatchResult result) {
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
    } else if (result == DispatchResult::Broken) {
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
    } else {
        return;  // Retry: left untouched for a later pass
    }
    if (gone)
        Ledger().Settle(path);
    else
        stuck_.insert(path);
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
    std::erase_if(files, [&](const std::string& path) { return stuck_.count(path) > 0; });
    if (files.empty()) return summary;
    syncMarkers_.clear();
    for (const std::string& name : outside::ListPlainFiles(modMain::ChatFolder, "!sync"))
        syncMarkers_.insert(Upper(name));
    markersListed_ = true;
    struct Forget {
        bool& listed;
        ~Forget() { listed = false; }
    } forget{markersListed_};
    outside::Sorter().Sort(files);

    const int count = static_cast<int>(files.size());
    summary.files = count;
    for (int i = 1; i <= count; ++i) {
        if (modSettings::ClearScrollbackOnOverflow && i > 1 && (i - 1) % kOverflowBlock == 0) {
            if (host_.SaveLog(true, true)) {
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
        CleanUp(path, result);
        host_.PumpMessagesOnce();
    }
    host_.SetCaption(modAppWindowTitle::DocumentWindowTitle("", modMain::ChatFilePath));
    Ledger().Flush();
    host_.PassFinished();
    return summary;
}

}  // namespace exchange
