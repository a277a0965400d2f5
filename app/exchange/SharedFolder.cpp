#include "SharedFolder.h"

#include <cctype>

#include "ChatFolderListing.h"
#include "MessageFiles.h"
#include "app/settings/modSettings.h"

namespace exchange {
namespace {

bool HasExtension(const std::string& name, const char* extension) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string_view ext = std::string_view(name).substr(dot + 1);
    const std::string_view want = extension;
    if (ext.size() != want.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(ext[i])) != std::toupper(static_cast<unsigned char>(want[i])))
            return false;
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

ReceivingPolicy ChatReceivingPolicy(const std::string& chatFolder) {
    ReceivingPolicy policy;
    policy.sharedFolder = modSettings::SharedFolder || IsNetworkFolder(chatFolder);
    policy.deleteMessageFiles = modSettings::DeleteMessageFiles;
    policy.hideBrokenMessageFiles = modSettings::HideBrokenMessageFiles;
    policy.retentionDays = modSettings::RetentionDays;
    return policy;
}

void AddToListing(ChatFolderListing& listing, const std::string& name) {
    if (HasExtension(name, kBinaryExtension) || HasExtension(name, kXmlExtension) || HasExtension(name, kTextExtension))
        listing.messageFiles.push_back(name);
    else if (HasExtension(name, "!sync"))
        listing.syncMarkers.push_back(Upper(name));
    else if (HasExtension(name, kSharedMarkerExtension))
        listing.sharedMarkers.push_back(name);
}

std::string SharedMarkerName(const std::string& clientGuid) { return clientGuid + "." + kSharedMarkerExtension; }

std::string SharedMarkerText() {
    return "Этот файл оставляет Quillet участника, который читает папку чата в режиме общей папки: "
           "он не прячет и не удаляет чужие файлы сообщений, а свои удаляет, когда они устареют.\r\n"
           "Если папка лежит на общем сетевом диске, этот режим нужен всем участникам чата "
           "(Настройки чата, Shift+F9).\r\n";
}

std::string SharedFolderInUseNotice() {
    return "В папке чата есть участники в режиме общей папки: похоже, она лежит на общем сетевом диске. "
           "Этот Quillet прячет (или удаляет) прочитанные файлы сообщений, и тогда их не увидят другие. "
           "Включите общую папку в настройках чата (Shift+F9).";
}

std::string UnreadableListNotice(bool ledger, const std::string& error, const std::string& path) {
    return std::string(ledger ? "Не удалось прочитать список показанных сообщений."
                              : "Не удалось прочитать список обработанных файлов папки чата.") +
           " Файл оставлен как есть; пока его не удастся прочитать, уже показанное может показаться снова." + "\r\n" +
           error + "\r\n" + path;
}

}  // namespace exchange
