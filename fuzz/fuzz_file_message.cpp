// A message that names a sent file, as any client may write one: whatever the
// text, a file message is only ever one whose copy lies in the files folder
// under the name shown (made safe), its form reads back the same, and the link
// the display makes of it is found again in the pane's RTF at its name.
#include "FuzzSupport.h"
#include "app/chatwindow/FileLinks.h"
#include "app/exchange/FileMessage.h"
#include "outside/Support.h"
#include "outside/Utf.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The link markers of any RTF: never a crash, never a link without text or target.
    for (const chatwindow::LinkRange& link : chatwindow::LinkRanges(text))
        fuzz::Require(!link.text.empty() && !link.target.empty() && link.end == link.begin + link.text.size(),
                      "a link range without its text or target");

    const std::optional<exchange::FileMessage> message = exchange::ParseFileMessage(text);
    if (!message) return 0;
    const exchange::FileReference& file = message->file;
    fuzz::Require(exchange::IsStoredFileName(file.storedName), "a copy's name of another form");
    fuzz::Require(file.storedName.substr(33) == exchange::SafeFileName(file.name, 255 - 33),
                  "the copy is not the file the message names");
    const std::string folder = outside::esBuildFileName2("/chat", exchange::kFilesFolderName);
    fuzz::Require(outside::esGetFilePath(exchange::AttachmentPath("/chat", file.storedName)) == folder,
                  "the copy's path leaves the files folder");
    fuzz::Require(exchange::ParseFileMessage(exchange::FileMessageText(*message)) == message,
                  "the form does not read back as itself");
    fuzz::Require(exchange::ParseLinkTarget(exchange::LinkTarget(file)) ==
                      exchange::FileReference{"", file.size, file.storedName},
                  "the link's target does not read back");

    // Shown (readers hand over UTF-8 only): the name is a link, found again in the RTF of the pane.
    if (!outside::IsValidUtf8(text)) return 0;
    fuzz::CheckedDisplay display;
    display.DisplayMessage("Вова", text, {2024, 1, 0, 31, 13, 5, 7, 42}, exchange::MessageKind::Other, "");
    fuzz::CheckPane(display.pane);
    const std::vector<chatwindow::LinkRange> links =
        chatwindow::LinkRanges(chatwindow::RunsToRtf(display.pane.runs, chatwindow::kPaneFont));
    fuzz::Require(links.size() == 1 && links[0].text == outside::Utf8ToUtf16(exchange::ShownFileName(file.name)) &&
                      links[0].target == exchange::LinkTarget(file),
                  "the pane's RTF lost the link");
    return 0;
}
