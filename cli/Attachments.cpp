#include "Attachments.h"

#include "Printing.h"
#include "app/exchange/FileMessage.h"
#include "app/exchange/FileSending.h"
#include "app/startup/modMain.h"

namespace cli {
namespace {

bool Arrived(const exchange::FileReference& file) {
    return exchange::StateOfAttachment(modMain::ChatFolder, file) == exchange::AttachmentState::Arrived;
}

}  // namespace

std::string AttachmentJsonMember(const std::string& text) {
    const std::optional<exchange::FileMessage> message = exchange::ParseFileMessage(text);
    if (!message) return {};
    const exchange::FileReference& file = message->file;
    return ",\"attachment\":{\"name\":" + JsonString(file.name) + ",\"size\":" + std::to_string(file.size) +
           ",\"path\":" + JsonString(exchange::AttachmentPath(modMain::ChatFolder, file.storedName)) +
           ",\"arrived\":" + (Arrived(file) ? "true" : "false") + "}";
}

std::string AttachmentLine(const std::string& linkTarget) {
    const std::optional<exchange::FileReference> file = exchange::ParseLinkTarget(linkTarget);
    if (!file) return {};
    return "  " + exchange::AttachmentPath(modMain::ChatFolder, file->storedName) +
           (Arrived(*file) ? "" : "  (ещё не пришёл)");
}

}  // namespace cli
