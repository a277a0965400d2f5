#include "Attachments.h"

#include "Printing.h"
#include "app/exchange/FileMessage.h"
#include "app/exchange/FileSending.h"

namespace cli {
namespace {

bool Arrived(const exchange::FileReference& file, const std::string& chatFolder) {
    return exchange::StateOfAttachment(chatFolder, file) == exchange::AttachmentState::Arrived;
}

}  // namespace

std::string AttachmentJsonMember(const std::string& text, const std::string& chatFolder) {
    const std::optional<exchange::FileMessage> message = exchange::ParseFileMessage(text);
    if (!message) return {};
    const exchange::FileReference& file = message->file;
    return ",\"attachment\":{\"name\":" + JsonString(file.name) + ",\"size\":" + std::to_string(file.size) +
           ",\"path\":" + JsonString(exchange::AttachmentPath(chatFolder, file.storedName)) +
           ",\"arrived\":" + (Arrived(file, chatFolder) ? "true" : "false") + "}";
}

std::string AttachmentLine(const std::string& linkTarget, const std::string& chatFolder) {
    const std::optional<exchange::FileReference> file = exchange::ParseLinkTarget(linkTarget);
    if (!file) return {};
    return "  " + exchange::AttachmentPath(chatFolder, file->storedName) +
           (Arrived(*file, chatFolder) ? "" : "  (ещё не пришёл)");
}

}  // namespace cli
