// The XML document object: what it will not load, and the gate in front of it.
// (Building, saving and selecting: through the message writers and readers.)
#include <gtest/gtest.h>

#include "outside/RuntimeError.h"
#include "outside/TextFile.h"
#include "outside/XmlDocument.h"
#include "support/TempDir.h"

using namespace outside;

namespace {

std::string Nested(int depth, const std::string& before = {}) {
    std::string s = before;
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
}

std::string Wide(const std::string& ascii, int width, bool big) {
    std::string out = width == 2 ? "\xFF\xFE" : "";
    const std::string zeros(static_cast<size_t>(width - 1), '\0');
    for (const char c : ascii) out += big ? zeros + c : c + zeros;
    return out;
}

}  // namespace

TEST(XmlDocument, LoadFailuresAreFailuresWithTheirCodeAndPlace) {
    testsupport::TempDir dir;
    struct Case {
        const char* what;
        std::optional<std::string> bytes;  // none: no file
        long code;  // 0: any non-zero code
    } cases[] = {
        // Mismatched tags, an internal DTD and deep nesting are cases of the message corpus.
        {"not XML", "hello", 0},
        {"external entity", "<!DOCTYPE m [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><m>&e;</m>", kXmlRefusedCode},
        {"lower-case doctype", "<!doctype message><message/>", kXmlRefusedCode},
        {"missing file", std::nullopt, ErrorNumberFromWin32(2)},
    };
    for (const auto& c : cases) {
        const std::string path = dir / (c.bytes ? "bad.ZXMF" : "missing.ZXMF");
        if (c.bytes) testsupport::WriteRaw(path, *c.bytes);
        auto doc = CreateXmlDocument();
        EXPECT_FALSE(doc->Load(path)) << c.what;
        const XmlParseError e = doc->ParseError();
        EXPECT_TRUE(c.code ? e.code == c.code : e.code != 0) << c.what << ": " << e.code;
        EXPECT_FALSE(e.reason.empty()) << c.what;
    }
    const XmlParseError refusal = RefuseUntrustedXml("<?xml version=\"1.0\"?>\n  <!DOCTYPE m []>\n<m/>");
    EXPECT_NE(refusal.reason.find("DTD"), std::string::npos) << refusal.reason;
    EXPECT_EQ(std::pair(refusal.line, refusal.column), std::pair(2L, 3L));
}

// A DOCTYPE written in an encoding the gate cannot read would reach the parser
// unseen; such documents are refused whole, ours and ordinary ones pass.
TEST(XmlDocument, TheGateRefusesDeclarationsDeepNestingAndEncodingsItCannotRead) {
    const std::string doctype = "<!DOCTYPE m [<!ENTITY a 'b'>]><m>&a;</m>";
    struct Row {
        const char* what;
        std::string bytes;
        bool passes;
    } rows[] = {
        {"UCS-4 little-endian", Wide(doctype, 4, false), false},
        {"UCS-4 big-endian", Wide(doctype, 4, true), false},
        {"EBCDIC", "\x4C\x6F\xA7\x94\x93\x40\xA5\x85", false},
        {"UTF-7", "<?xml version=\"1.0\" encoding=\"UTF-7\"?>+ADw-!DOCTYPE m+AD4-<m/>", false},
        {"UTF-16 saying big-endian", Wide("<?xml version=\"1.0\" encoding=\"UTF-16BE\"?><m/>", 2, false), false},
        {"a NUL byte", std::string("<m>\0</m>", 8), false},
        {"UTF-8 with a byte-order mark saying cp1251", "\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1251'?><m/>",
         false},
        {"utf-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<m/>", true},
        {"windows-1251", "<?xml version=\"1.0\" encoding=\"Windows-1251\"?><m>\xCF\xF0\xE8</m>", true},
        {"UTF-16", Wide("<?xml version=\"1.0\" encoding=\"UTF-16\"?><m/>", 2, false), true},
        {"a DOCTYPE in UTF-16", Wide("<!DOCTYPE m>", 2, false), false},
        {"comments, CDATA and instructions",
         "<m a='>'><!-- <!DOCTYPE --><![CDATA[<!DOCTYPE]]><?pi <!DOCTYPE ?></m>", true},
        {"the deepest nesting allowed", Nested(kMaxXmlDepth), true},
        {"empty elements do not nest", "<m><b/><c x=\"/>\"/></m>", true},
        {"stray end tags buy no extra depth", Nested(kMaxXmlDepth + 5, "</x></x></x></x></x></x>"), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RefuseUntrustedXml(row.bytes).code, row.passes ? 0 : kXmlRefusedCode) << row.what;
}
