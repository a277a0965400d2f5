// The XML document object: what it will not load, and the gate in front of it.
// (Parsing, building, saving and selecting: through the message corpus and writers.)
#include <gtest/gtest.h>

#include <tuple>

#include "outside/RuntimeError.h"
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

// Load: a file it cannot read, one the gate refuses, one the parser refuses (any code).
TEST(XmlDocument, LoadFailsWithTheCodeOfWhatStoppedIt) {
    testsupport::TempDir dir;
    testsupport::WriteRaw(dir / "dtd.ZXMF", "<?xml version=\"1.0\"?>\n<!DOCTYPE m []>\n<m/>");
    testsupport::WriteRaw(dir / "text.ZXMF", "hello");
    for (const auto& [name, code] : {std::pair{"dtd.ZXMF", kXmlRefusedCode}, {"missing.ZXMF", ErrorNumberFromWin32(2)},
                                     {"text.ZXMF", 0L}}) {
        auto doc = CreateXmlDocument();
        EXPECT_FALSE(doc->Load(dir / name)) << name;
        const long got = doc->ParseError().code;
        EXPECT_TRUE(code ? got == code : got != 0) << name << ": " << got;
    }
}

// A DOCTYPE written in an encoding the gate cannot read would reach the parser
// unseen; such documents are refused whole, ours and ordinary ones pass.
TEST(XmlDocument, TheGateRefusesDeclarationsDeepNestingAndEncodingsItCannotRead) {
    const std::string doctype = "<!DOCTYPE m [<!ENTITY a 'b'>]><m>&a;</m>";
    const std::tuple<const char*, std::string, bool> rows[] = {  // what, bytes, passes
        {"UCS-4 little-endian", Wide(doctype, 4, false), false},
        {"UCS-4 big-endian", Wide(doctype, 4, true), false},
        {"external entity", "<!DOCTYPE m [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><m>&e;</m>", false},
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
    for (const auto& [what, bytes, passes] : rows)
        EXPECT_EQ(RefuseUntrustedXml(bytes).code, passes ? 0 : kXmlRefusedCode) << what;
}
