// The logs viewer's RTF text reader on any file of the logs folder (its own
// logs, old whole-pane logs, anything a user put there): it reads every byte
// sequence to an end, each character it gives comes from at least one byte,
// plain text comes through as itself, and nothing after the document's final
// brace counts.
#include "FuzzSupport.h"
#include "app/logsviewer/LogSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = logsviewer::RtfPlainText(bytes);
    fuzz::Require(text.size() <= size, "more text than bytes");

    // The first half without RTF's special characters, as a document; the rest after it.
    std::string plain;
    std::u16string expected;
    for (const char c : bytes.substr(0, size / 2)) {
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n') continue;
        plain += c;
        expected += static_cast<char16_t>(static_cast<unsigned char>(c));  // code page 1252 by default
    }
    const std::string document = "{\\rtf1 " + plain + "}";
    fuzz::Require(logsviewer::RtfPlainText(document) == expected, "plain text did not come through");
    fuzz::Require(logsviewer::RtfPlainText(document + std::string(bytes.substr(size / 2))) == expected,
                  "text after the end of the document counted");
    return 0;
}
