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

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The encoding named by the XML declaration at the start of text, lower case;
// empty when there is none.
std::string DeclaredEncoding(std::string_view text) {
    if (text.substr(0, 5) != "<?xml") return {};
    const size_t end = text.find("?>");
    const std::string_view declaration = text.substr(0, end);
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return {};
    size_t i = at + 8;
    while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '=' || declaration[i] == '\t' ||
                                      declaration[i] == '\r' || declaration[i] == '\n'))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) return "?";
    const size_t close = declaration.find(declaration[i], i + 1);
    if (close == std::string_view::npos) return "?";
    return Lower(declaration.substr(i + 1, close - i - 1));
}

// Encodings in which every byte below 0x80 is the ASCII character: what the
// gate reads is what the parser reads.
bool IsAsciiBased(const std::string& name) {
    static const char* const kNames[] = {"utf-8", "utf8", "us-ascii", "ascii", "windows-1250", "windows-1251",
                                         "windows-1252", "windows-1253", "windows-1254", "windows-1255",
                                         "windows-1256", "windows-1257", "windows-1258", "cp1251", "cp1252",
                                         "koi8-r", "koi8-u", "ibm866", "cp866"};
    for (const char* known : kNames)
        if (name == known) return true;
    // iso-8859-1 ... iso-8859-16
    return name.rfind("iso-8859-", 0) == 0 && name.size() <= 11 && name.size() > 9 &&
           name.find_first_not_of("0123456789", 9) == std::string::npos;
}

}  // namespace

XmlParseError RefuseUntrustedXml(std::string_view bytes) {
    // Signatures of encodings the gate cannot read (UCS-4 in its four byte
    // orders, EBCDIC): parsers recognise them from the first bytes alone.
    static const std::string_view kUnreadable[] = {std::string_view("\0\0\0<", 4), std::string_view("<\0\0\0", 4),
                                                   std::string_view("\0\0<\0", 4), std::string_view("\0<\0\0", 4),
                                                   std::string_view("\0\0\xFE\xFF", 4),
                                                   std::string_view("\xFF\xFE\0\0", 4), "\x4C\x6F\xA7\x94"};
    for (const std::string_view signature : kUnreadable)
        if (bytes.substr(0, 4) == signature) return Refusal(bytes, 0, "Кодировка сообщения не поддерживается.");

    // UTF-16 documents are looked at in UTF-8; every other encoding we accept is ASCII-compatible.
    std::string decoded;
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
                                             (bytes[0] == '<' && bytes[1] == '\0') ||
                                             (bytes[0] == '\0' && bytes[1] == '<'));
    const bool bigEndian = utf16 && (bytes[0] == '\xFE' || bytes[0] == '\0');
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
    const bool utf8Bom = !utf16 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const std::string encoding = DeclaredEncoding(bytes.substr(utf8Bom ? 3 : 0));
    const bool consistent = encoding.empty() ||
                            (utf16 ? encoding == "utf-16" || encoding == (bigEndian ? "utf-16be" : "utf-16le")
                                   : utf8Bom ? encoding == "utf-8" || encoding == "utf8" : IsAsciiBased(encoding));
    if (!consistent) return Refusal(bytes, 0, "Кодировка сообщения не поддерживается.");
    if (!utf16 && bytes.find('\0') != std::string_view::npos)
        return Refusal(bytes, bytes.find('\0'), "Нулевой байт в сообщении.");

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
            // Never below the top: stray end tags must not buy room for deeper nesting.
            if (depth > 0) --depth;
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
