// The logs viewer's RTF text reader on any file of the logs folder (its own
// logs, old whole-pane logs, anything a user put there): each character it
// gives comes from at least one byte, piece by piece it gives what it gives
// for the whole file wherever the cuts fall, plain text comes through as
// itself, and nothing after the document's final brace counts.
#include "FuzzSupport.h"
#include "app/logsviewer/RtfPlainText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = logsviewer::RtfPlainText(bytes);
    fuzz::Require(text.size() <= size, "more text than bytes");

    // Pieces of 1 to 16 bytes, as the first byte says.
    logsviewer::RtfTextReader reader;
    std::u16string pieces;
    const size_t length = size ? 1 + data[0] % 16 : 1;
    for (size_t at = 0; at < size && !reader.Ended(); at += length) reader.Read(bytes.substr(at, length), pieces);
    reader.Finish(pieces);
    fuzz::Require(pieces == text, "read in pieces, the text differs");

    // The printable ASCII of the first half, less RTF's special characters, as a
    // document; the rest after it.
    std::string plain;
    for (const char c : bytes.substr(0, size / 2))
        if (c >= 0x20 && c < 0x7F && c != '{' && c != '}' && c != '\\') plain += c;
    const std::u16string expected(plain.begin(), plain.end());
    const std::string document = "{\\rtf1 " + plain + "}";
    fuzz::Require(logsviewer::RtfPlainText(document) == expected, "plain text did not come through");
    fuzz::Require(logsviewer::RtfPlainText(document + std::string(bytes.substr(size / 2))) == expected,
                  "text after the end of the document counted");
    return 0;
}
