#include "FileSending.h"

#include "app/settings/modSettings.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/FileCopy.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {
namespace {

std::string FailureNotice(const outside::RuntimeError& e, const std::string& path) {
    return "Не удалось отправить файл." + std::string("\r\n") + "Ошибка " + outside::asGetErrorNumber(e.Number()) +
           ": " + e.Description() + "\r\n" + path;
}

}  // namespace

FileReference CopyIntoFilesFolder(const startup::ClaimedChat& chat, const std::string& sourcePath) {
    // A file that cannot be read leaves not even the folder behind.
    outside::ReadableFileSize(sourcePath);
    FileReference file;
    file.name = DisplayableFileName(outside::esGetFileName(sourcePath));
    file.storedName = StoredFileName(outside::esGetSystemTime(), NewUniquePart(), file.name);
    modCreateComplexDirectory::CreateComplexDirectory(outside::esBuildFileName2(chat.ChatFolder, kFilesFolderName), true);
    file.size = outside::CopyFileAtomically(sourcePath, AttachmentPath(chat.ChatFolder, file.storedName));
    return file;
}

SendOutcome SendFileMessage(const startup::ClaimedChat& chat, const std::string& sourcePath, const std::string& comment,
                            IMessageDisplay& display, const ConfirmLargeFile& confirmLarge, std::string* writtenPath) {
    FileReference file;
    try {
        const uint64_t size = outside::ReadableFileSize(sourcePath);
        const std::string name = DisplayableFileName(outside::esGetFileName(sourcePath));
        if (size > kLargeFileBytes && confirmLarge && !confirmLarge(name, size)) return SendOutcome::NothingToSend;
        file = CopyIntoFilesFolder(chat, sourcePath);
    } catch (const outside::RuntimeError& e) {
        display.ShowSystemMessage(FailureNotice(e, sourcePath));
        return SendOutcome::Failed;
    }
    const std::string text = FileMessageText({file, comment});
    const SendOutcome sent = modSettings::SendXMLMessages ? SendXmlMessage(chat, text, display, writtenPath)
                                                          : SendBinaryMessage(chat, text, display, writtenPath);
    // No message names the copy: it would lie in everyone's folder for nothing.
    if (sent != SendOutcome::Sent) outside::RemoveFile(AttachmentPath(chat.ChatFolder, file.storedName));
    return sent;
}

AttachmentState StateOfAttachment(const std::string& chatFolder, const FileReference& file) {
    if (!IsStoredFileName(file.storedName)) return AttachmentState::Missing;
    const std::string path = AttachmentPath(chatFolder, file.storedName);
    if (!outside::esIsFileExist(path)) return AttachmentState::Missing;
    if (outside::esIsFileExist(path + ".!sync")) return AttachmentState::Arriving;
    try {
        return outside::esGetFileSizeEx(path) == file.size ? AttachmentState::Arrived : AttachmentState::Arriving;
    } catch (const outside::RuntimeError&) {
        return AttachmentState::Missing;
    }
}

}  // namespace exchange
