// Our own look at a document before any parser sees it: no DOCTYPE (so no
// entities, no DTD loading) and no nesting deeper than kMaxXmlDepth. Done here
// because one parser (Wine's MSXML) ignores its own switch for DTDs.
#include <cctype>
#include <string>

#include "RuntimeError.h"
#include "TextFile.h"
#include "XmlDocument.h"

namespace outside {
namespace {

struct Position {
    long line = 1;
    long column = 1;
};

Position PositionOf(std::string_view text, size_t offset) {
    Position p;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++p.line;
            p.column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++p.column;
        }
    }
    return p;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(text[at + k])) != word[k]) return false;
    return true;
}

XmlParseError Refusal(std::string_view text, size_t at, const std::string& why) {
    const Position p = PositionOf(text, at);
    return XmlParseError{kXmlRefusedCode, p.line, p.column, why};
}

}  // namespace

XmlParseError RefuseUntrustedXml(std::string_view bytes) {
    // UTF-16 documents are looked at in UTF-8; every other encoding we accept is ASCII-compatible.
    std::string decoded;
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
                                             (bytes[0] == '<' && bytes[1] == '\0') ||
                                             (bytes[0] == '\0' && bytes[1] == '<'));
    if (utf16) {
        if (bytes[0] == '<' || bytes[1] == '<') {
            decoded = bytes[0] == '<' ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
            decoded.append(bytes);
            decoded = DecodeTextBytes(decoded);
        } else {
            decoded = DecodeTextBytes(bytes);
        }
        bytes = decoded;
    }

    int depth = 0;
    size_t i = 0;
    const auto skipPast = [&](std::string_view end) {
        const size_t at = bytes.find(end, i);
        i = at == std::string_view::npos ? bytes.size() : at + end.size();
    };
    while (i < bytes.size()) {
        if (bytes[i] != '<') {
            ++i;
            continue;
        }
        const size_t tag = i;
        if (bytes.compare(i, 4, "<!--") == 0) {
            i += 4;
            skipPast("-->");
        } else if (bytes.compare(i, 9, "<![CDATA[") == 0) {
            i += 9;
            skipPast("]]>");
        } else if (bytes.compare(i, 2, "<?") == 0) {
            i += 2;
            skipPast("?>");
        } else if (bytes.compare(i, 2, "<!") == 0) {
            const bool doctype = StartsWithNoCase(bytes, i + 2, "DOCTYPE");
            return Refusal(bytes, tag, doctype ? "DTD в сообщениях не допускаются."
                                               : "Объявления <! в сообщениях не допускаются.");
        } else if (bytes.compare(i, 2, "</") == 0) {
            --depth;
            i += 2;
            skipPast(">");
        } else {
            // A start tag; quoted attribute values may hold '>'.
            ++i;
            char quote = 0;
            bool selfClosing = false;
            while (i < bytes.size()) {
                const char c = bytes[i++];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    selfClosing = bytes[i - 2] == '/';
                    break;
                }
            }
            if (!selfClosing && ++depth > kMaxXmlDepth)
                return Refusal(bytes, tag,
                               "Слишком глубокая вложенность элементов (больше " + std::to_string(kMaxXmlDepth) + ").");
        }
    }
    return {};
}

bool ReadXmlForParsing(const std::string& path, std::string& bytes, XmlParseError& error) {
    error = {};
    try {
        bytes = ReadFileBytes(path, kMaxMessageFileBytes);
    } catch (const RuntimeError& failure) {
        error.code = failure.Number();
        error.reason = failure.Description();
        return false;
    }
    error = RefuseUntrustedXml(bytes);
    return error.code == 0;
}

}  // namespace outside
