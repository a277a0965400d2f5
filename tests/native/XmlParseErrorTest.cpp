// libxml2's parse errors carry a real code, line, column and reason (Wine's
// MSXML gives only a dummy, so this is checked natively).
#include <gtest/gtest.h>

#include "outside/XmlDocument.h"
#include "support/TempDir.h"

using namespace outside;

TEST(XmlParseError, CarriesCodeLineColumnAndReason) {
    testsupport::TempDir dir;
    const std::string path = dir / "bad.ZXMF";
    testsupport::WriteRaw(path, "<?xml version=\"1.0\"?>\n<message>\n  <text>x</txet>\n</message>\n");
    auto doc = CreateXmlDocument();
    ASSERT_FALSE(doc->Load(path));
    const XmlParseError e = doc->ParseError();
    EXPECT_EQ(e.line, 3);
    EXPECT_GT(e.column, 0);
    EXPECT_NE(e.code, 0);
    EXPECT_NE(e.reason.find("mismatch"), std::string::npos) << e.reason;
}
