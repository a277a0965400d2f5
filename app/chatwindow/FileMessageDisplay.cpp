#include "FileMessageDisplay.h"

#include "app/exchange/FileMessage.h"
#include "outside/Support.h"

namespace chatwindow {

void AppendMessageBody(IConversationPane& pane, const std::string& body, int size, int32_t colour) {
    const std::optional<exchange::FileMessage> message = exchange::ParseFileMessage(body);
    if (!message) {
        pane.AppendText(body + "\r\n", size, false, colour, kAlignLeft);
        return;
    }
    const exchange::FileReference& file = message->file;
    pane.AppendText("Файл: ", size, false, colour, kAlignLeft);
    pane.AppendLink(exchange::ShownFileName(file.name), exchange::LinkTarget(file), size, colour, kAlignLeft);
    pane.AppendText(" (" + outside::asFormatByteSizeEx(file.size) + ")\r\n", size, false, colour, kAlignLeft);
    if (!message->comment.empty()) pane.AppendText(message->comment + "\r\n", size, false, colour, kAlignLeft);
}

}  // namespace chatwindow
