// Nested directory creation on real Windows folders, with and without the long-path prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/support/modCreateComplexDirectory.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using modCreateComplexDirectory::CreateComplexDirectory;
using testsupport::TempDir;

namespace {

DWORD Attributes(const std::string& path) {  // the prefix sees beyond MAX_PATH too
    return ::GetFileAttributesW(outside::W("\\\\?\\" + path).c_str());
}
bool IsDirectory(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(CreateComplexDirectoryWin32, MakesEveryMissingLevelAndRefusesRootsSharesAndFilesInTheWay) {
    for (const bool longPaths : {false, true}) {
        SCOPED_TRACE(longPaths);
        TempDir dir;
        std::string asked = dir.path();
        std::replace(asked.begin(), asked.end(), '\\', '/');
        // Mixed separators, doubled and trailing ones; a name outside code page 1251.
        asked += "/Журналы//Greyfen Works\\\\中文 ελληνικά/{A1}/";
        EXPECT_TRUE(CreateComplexDirectory(asked, longPaths));
        EXPECT_TRUE(IsDirectory(dir.path() + "\\Журналы\\Greyfen Works\\中文 ελληνικά\\{A1}"));
        EXPECT_TRUE(CreateComplexDirectory(asked, longPaths)) << "an existing path is success";

        testsupport::WriteRaw(dir / "file", "x");
        EXPECT_FALSE(CreateComplexDirectory(dir.path() + "\\file\\below\\deeper", longPaths));
        EXPECT_EQ(testsupport::ReadRaw(dir / "file"), "x");
        EXPECT_EQ(Attributes(dir.path() + "\\file\\below"), INVALID_FILE_ATTRIBUTES);

        EXPECT_FALSE(CreateComplexDirectory("\\\\server\\share", longPaths)) << "a share (the rest: the text suite)";
        if (!longPaths) continue;
        std::string deep = dir.path();
        while (deep.size() < MAX_PATH + 40) deep += "\\" + std::string(40, 'd');
        EXPECT_TRUE(CreateComplexDirectory(deep, true) && IsDirectory(deep)) << "beyond MAX_PATH";
    }
}

TEST(CreateComplexDirectoryWin32, RelativePathsAreMadeUnderTheCurrentFolder) {
    TempDir dir;
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(outside::W(dir.path()).c_str()));
    const bool made = CreateComplexDirectory("logs/sub", false);
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(made);
    EXPECT_TRUE(IsDirectory(dir.path() + "\\logs\\sub"));
}
