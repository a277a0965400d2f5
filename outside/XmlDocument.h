// The XML document object: load, parse errors, select, build and save.
// MSXML6 on Windows, libxml2 on POSIX, the same observable contract.
//
// Loading treats every document as untrusted: the file is read by us (shared,
// size-limited), a document with a DOCTYPE or nested deeper than
// kMaxXmlDepth is refused before any parser sees it, and the parser itself is
// set up without DTD processing, external entities or network access.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace outside {

constexpr int kMaxXmlDepth = 64;
// Parse-error code of a refused document (DOCTYPE or too deep).
constexpr long kXmlRefusedCode = static_cast<long>(static_cast<int>(0xC00CE5FFu));
// Parse-error code of a file held open by another process.
constexpr long kXmlFileInUseCode = static_cast<long>(static_cast<int>(0x80070020u));

struct XmlParseError {
    long code = 0;
    long line = 0;
    long column = 0;
    std::string reason;
};

enum class XmlNodeType : int { Element = 1, Attribute = 2 };

class XmlNode {
public:
    virtual ~XmlNode() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
    // XPath-style path ("/message/text", "/message/timestamp/@local"); null when nothing matches.
    virtual std::unique_ptr<XmlNode> SelectSingleNode(std::string_view path) const = 0;
    virtual std::unique_ptr<XmlNode> AppendChild(XmlNodeType type, std::string_view name) = 0;
};

// Nodes must not outlive their document.
class XmlDocument {
public:
    virtual ~XmlDocument() = default;
    // False on failure; then ParseError() tells why. Load reads the file
    // (shared, size-limited); both pass our gate before the parser sees a byte.
    virtual bool Load(const std::string& path) = 0;
    virtual bool LoadXml(std::string_view bytes) = 0;
    virtual std::unique_ptr<XmlNode> DocumentNode() = 0;
    // Saves atomically (temporary file, then rename); throws RuntimeError.
    virtual void Save(const std::string& path) = 0;
    // Starts an empty document with an XML declaration of that encoding.
    virtual bool NewDocument(std::string_view encoding) = 0;
    virtual XmlParseError ParseError() const = 0;

    static std::string NodeText(const XmlNode* node) { return node ? node->Text() : std::string(); }
};

// Throws RuntimeError when the parser cannot be created.
std::unique_ptr<XmlDocument> CreateXmlDocument();

// Our own gate in front of the parser: code 0 when the document may be
// parsed, else kXmlRefusedCode with the reason and where. Only encodings in
// which the gate sees what the parser will see pass: UTF-8, UTF-16 and the
// ASCII-based single-byte code pages; UCS-4, EBCDIC, UTF-7 and the like are
// refused, since a DOCTYPE written in them would slip past a look at the bytes.
XmlParseError RefuseUntrustedXml(std::string_view bytes);

// What both parsers load: the file's bytes (shared, size-limited) once they
// pass the gate. False, with error set, when the file cannot be read or is refused.
bool ReadXmlForParsing(const std::string& path, std::string& bytes, XmlParseError& error);

}  // namespace outside
