// The plain-text reader on any file: always shown, as UTF-8, and text that
// already is UTF-8 without a byte-order mark comes through unchanged.
#include "FuzzSupport.h"
#include "app/exchange/MessageFiles.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // What DispatchMessage_Text does once the file is read, without the file.
    fuzz::CheckedDisplay display;
    fuzz::Require(exchange::ReadPlainText(outside::DecodeTextBytes(bytes), "/chat/note.ZTMF", display) ==
                      exchange::DispatchResult::Processed,
                  "a plain-text file was not taken");
    fuzz::Require(display.shown.messages == 1, "a plain-text file was not shown");
    const bool plain = outside::IsValidUtf8(bytes) && bytes.substr(0, 3) != "\xEF\xBB\xBF" &&
                       bytes.substr(0, 2) != "\xFF\xFE" && bytes.substr(0, 2) != "\xFE\xFF";
    if (plain) fuzz::Require(display.shown.text == bytes, "UTF-8 text changed on its way in");
    fuzz::CheckPane(display.pane);
    return 0;
}
