// The XML document object: what it will not load, and the gate in front of it.
// (Building, saving and selecting: through the message writers and readers.)
#include <gtest/gtest.h>

#include "outside/RuntimeError.h"
#include "outside/TextFile.h"
#include "outside/XmlDocument.h"
#include "support/TempDir.h"

using namespace outside;
using testsupport::TempDir;
using testsupport::WriteRaw;

namespace {

std::string Nested(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
}

}  // namespace

TEST(XmlDocument, LoadFailuresAreFailures) {
    TempDir dir;
    struct Case {
        const char* what;
        std::optional<std::string> bytes;  // none: no file
        long code;  // 0: any non-zero code
    } cases[] = {
        // Mismatched tags, an internal DTD and deep nesting are cases of the message corpus.
        {"not XML", "hello", 0},
        {"empty", "", 0},
        {"external entity",
         "<!DOCTYPE m [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><message><text>&e;</text></message>",
         kXmlRefusedCode},
        {"lower-case doctype", "<!doctype message><message/>", kXmlRefusedCode},
        {"missing file", std::nullopt, ErrorNumberFromWin32(2)},
    };
    for (const auto& c : cases) {
        const std::string path = dir / (c.bytes ? "bad.ZXMF" : "missing.ZXMF");
        if (c.bytes) WriteRaw(path, *c.bytes);
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
}

// A DOCTYPE written in an encoding the gate cannot read would reach the parser
// unseen; such documents are refused whole, ours and ordinary ones pass.
TEST(XmlDocument, TheGateRefusesDeclarationsDeepNestingAndEncodingsItCannotRead) {
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
        {"a DOCTYPE in UTF-16", utf16("<!DOCTYPE m>"), false},
        {"comments, CDATA and instructions",
         "<m a='>'><!-- <!DOCTYPE --><![CDATA[<!DOCTYPE]]><?pi <!DOCTYPE ?></m>", true},
        {"the deepest nesting allowed", Nested(kMaxXmlDepth), true},
        {"empty elements do not nest", "<m><b/><c x=\"/>\"/></m>", true},
    };
    for (const Row& row : rows) EXPECT_EQ(RefuseUntrustedXml(row.bytes).code == 0, row.passes) << row.what;
    // Stray end tags buy no extra depth.
    std::string stray;
    for (int i = 0; i < 10; ++i) stray += "</x>";
    EXPECT_EQ(RefuseUntrustedXml(stray + Nested(kMaxXmlDepth + 5)).code, kXmlRefusedCode);
}

