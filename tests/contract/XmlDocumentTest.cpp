// The XML document object: build, save, load, select, and what it refuses.
#include <gtest/gtest.h>

#include "outside/RuntimeError.h"
#include "outside/TextFile.h"
#include "outside/XmlDocument.h"
#include "support/TempDir.h"

using namespace outside;
using testsupport::ReadRaw;
using testsupport::TempDir;
using testsupport::WriteRaw;

namespace {

void BuildMessage(XmlDocument& doc, const std::string& text) {
    ASSERT_TRUE(doc.NewDocument("utf-8"));
    auto root = doc.DocumentNode()->AppendChild(XmlNodeType::Element, "message");
    auto stamp = root->AppendChild(XmlNodeType::Element, "timestamp");
    stamp->SetText("2024-01-31 13-05-07.042");
    stamp->AppendChild(XmlNodeType::Attribute, "local")->SetText("false");
    root->AppendChild(XmlNodeType::Element, "username")->SetText("Вова & <Co>");
    root->AppendChild(XmlNodeType::Element, "text")->SetText(text);
}

std::string Nested(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
}

}  // namespace

TEST(XmlDocument, SavedDocumentLoadsBackWithEscapedText) {
    TempDir dir;
    const std::string path = dir / "m.ZXMF";
    auto doc = CreateXmlDocument();
    BuildMessage(*doc, "a < b && c > d \"q\" 'a'");
    doc->Save(path);
    const std::string bytes = ReadRaw(path);
    EXPECT_NE(bytes.find("&lt;"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("&amp;"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("encoding=\"utf-8\""), std::string::npos) << bytes;

    auto loaded = CreateXmlDocument();
    ASSERT_TRUE(loaded->Load(path)) << loaded->ParseError().reason;
    auto node = loaded->DocumentNode();
    EXPECT_EQ(XmlDocument::NodeText(node->SelectSingleNode("/message/text").get()), "a < b && c > d \"q\" 'a'");
    EXPECT_EQ(XmlDocument::NodeText(node->SelectSingleNode("/message/username").get()), "Вова & <Co>");
    EXPECT_EQ(XmlDocument::NodeText(node->SelectSingleNode("/message/timestamp").get()), "2024-01-31 13-05-07.042");
    EXPECT_EQ(XmlDocument::NodeText(node->SelectSingleNode("/message/timestamp/@local").get()), "false");
    EXPECT_EQ(node->SelectSingleNode("/message/clientguid"), nullptr);
    EXPECT_EQ(XmlDocument::NodeText(nullptr), "");
}

TEST(XmlDocument, LoadFailuresAreFailures) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        long code;  // 0: any non-zero code
    } cases[] = {
        // Mismatched tags, an internal DTD and deep nesting are cases of the message corpus.
        {"not XML", "hello", 0},
        {"empty", "", 0},
        {"external entity",
         "<!DOCTYPE m [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><message><text>&e;</text></message>",
         kXmlRefusedCode},
        {"lower-case doctype", "<!doctype message><message/>", kXmlRefusedCode},
    };
    for (const auto& c : cases) {
        const std::string path = dir / "bad.ZXMF";
        WriteRaw(path, c.bytes);
        auto doc = CreateXmlDocument();
        EXPECT_FALSE(doc->Load(path)) << c.what;
        const XmlParseError e = doc->ParseError();
        if (c.code) {
            EXPECT_EQ(e.code, c.code) << c.what;
        } else {
            EXPECT_NE(e.code, 0) << c.what;
        }
        EXPECT_FALSE(e.reason.empty()) << c.what;
    }
}

TEST(XmlDocument, RefusalSaysWhyAndWhere) {
    const XmlParseError refusal = RefuseUntrustedXml("<?xml version=\"1.0\"?>\n  <!DOCTYPE m []>\n<m/>");
    EXPECT_EQ(refusal.code, kXmlRefusedCode);
    EXPECT_NE(refusal.reason.find("DTD"), std::string::npos) << refusal.reason;
    EXPECT_EQ(refusal.line, 2);
    EXPECT_EQ(refusal.column, 3);
    EXPECT_EQ(RefuseUntrustedXml("<m a='>'><!-- <!DOCTYPE --><![CDATA[<!DOCTYPE]]><?pi <!DOCTYPE ?></m>").code, 0)
        << "comments, CDATA and instructions are not declarations";
    EXPECT_EQ(RefuseUntrustedXml(Nested(kMaxXmlDepth)).code, 0);
    EXPECT_EQ(RefuseUntrustedXml("<m><b/><c x=\"/>\"/></m>").code, 0) << "empty elements do not nest";
    // UTF-16 documents are looked at too.
    const std::string utf16 = std::string("\xFF\xFE<\0!\0D\0O\0C\0T\0Y\0P\0E\0 \0m\0>\0", 26);
    EXPECT_EQ(RefuseUntrustedXml(utf16).code, kXmlRefusedCode);
}

// A DOCTYPE written in an encoding the gate cannot read would reach the parser
// unseen; such documents are refused whole, ours and ordinary ones pass.
TEST(XmlDocument, OnlyEncodingsTheGateReadsPass) {
    const auto utf32 = [](const std::string& ascii, bool big) {
        std::string out;
        for (const char c : ascii) out += big ? std::string("\0\0\0", 3) + c : c + std::string("\0\0\0", 3);
        return out;
    };
    const auto utf16 = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (const char c : ascii) out += c + std::string(1, '\0');
        return out;
    };
    const std::string doctype = "<!DOCTYPE m [<!ENTITY a 'b'>]><m>&a;</m>";
    struct Row {
        const char* what;
        std::string bytes;
        bool passes;
    };
    const Row rows[] = {
        {"UCS-4 little-endian", utf32(doctype, false), false},
        {"UCS-4 big-endian", utf32(doctype, true), false},
        {"EBCDIC", "\x4C\x6F\xA7\x94\x93\x40\xA5\x85", false},
        {"UTF-7", "<?xml version=\"1.0\" encoding=\"UTF-7\"?>+ADw-!DOCTYPE m+AD4-<m/>", false},
        {"UTF-16 saying big-endian", utf16("<?xml version=\"1.0\" encoding=\"UTF-16BE\"?><m/>"), false},
        {"a NUL byte", std::string("<m>\0</m>", 8), false},
        {"UTF-8 with a byte-order mark saying cp1251", "\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1251'?><m/>",
         false},
        {"utf-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<m/>", true},
        {"windows-1251", "<?xml version=\"1.0\" encoding=\"Windows-1251\"?><m>\xCF\xF0\xE8</m>", true},
        {"UTF-16", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><m/>"), true},
        {"no declaration", "<m/>", true},
    };
    for (const Row& row : rows) EXPECT_EQ(RefuseUntrustedXml(row.bytes).code == 0, row.passes) << row.what;
    // Stray end tags buy no extra depth.
    std::string stray;
    for (int i = 0; i < 10; ++i) stray += "</x>";
    EXPECT_EQ(RefuseUntrustedXml(stray + Nested(kMaxXmlDepth + 5)).code, kXmlRefusedCode);
}

TEST(XmlDocument, MissingFileIsALoadFailureNotACrash) {
    TempDir dir;
    auto doc = CreateXmlDocument();
    EXPECT_FALSE(doc->Load(dir / "missing.ZXMF"));
    EXPECT_EQ(doc->ParseError().code, ErrorNumberFromWin32(2));
}
