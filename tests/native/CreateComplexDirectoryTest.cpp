// Nested directory creation: the Windows path grammar as text, and the POSIX operation on real folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/support/modCreateComplexDirectory.h"
#include "support/TempDir.h"

using namespace modCreateComplexDirectory;
using testsupport::TempDir;

namespace {

// Stands in for GetFullPathName: "C:" is the drive's current folder, UNC and colon paths stay, the rest is in D:\work.
std::string FakeWindowsFullName(const std::string& path) {
    if (path.empty()) return {};
    if (path == "C:") return "C:\\Users\\ann\\current";
    if (path.compare(0, 2, "\\\\") == 0 || path.find(':') != std::string::npos) return path;
    return "D:\\work\\" + path;
}

std::string FakePosixFullName(const std::string& path) {
    if (path.empty()) return {};
    return path[0] == '/' ? path : "/home/ann/" + path;
}

}  // namespace

TEST(CreateComplexDirectoryText, PathsSplitIntoTheLevelsToMakeAndTakeTheLongForm) {
    const struct {
        bool posix;
        std::string path;
        std::vector<std::string> levels;  // empty: refused
        bool network;
    } cases[] = {
        {false, "C:/Temp/a//b/", {"C:\\Temp", "C:\\Temp\\a", "C:\\Temp\\a\\b"}, false},
        {false, "C:\\Temp", {"C:\\Temp"}, false},
        {false, "c:\\\\\\x\\\\\\", {"c:\\x"}, false},
        {false, "logs\\{A1}", {"D:\\work", "D:\\work\\logs", "D:\\work\\logs\\{A1}"}, false},
        {false, "\\\\server\\share\\logs", {"\\\\server\\share\\logs"}, true},
        {false, "//server/share/logs/2024/", {"\\\\server\\share\\logs", "\\\\server\\share\\logs\\2024"}, true},
        {false, "\\\\\\server\\\\share\\\\\\logs\\\\x", {"\\\\server\\share\\logs", "\\\\server\\share\\logs\\x"}, true},
        // Bare roots and shares, and what is neither drive nor network form.
        {false, "C:\\", {}, false},
        {false, "\\\\server\\share", {}, false},
        {false, "\\\\server", {}, false},
        {false, "\\\\", {}, false},
        {false, "", {}, false},
        {false, "1:\\x", {}, false},
        {false, "CC:\\x", {}, false},
        {false, "C:x", {}, false},
        {true, "/a/b/c", {"/a", "/a/b", "/a/b/c"}, false},
        {true, "//a///b//", {"/a", "/a/b"}, false},
        {true, "logs/x", {"/home", "/home/ann", "/home/ann/logs", "/home/ann/logs/x"}, false},
        {true, "/", {}, false},
        {true, "", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.posix ? "POSIX " : "Windows ") + c.path);
        const auto levels =
            c.posix ? SplitPosixPath(c.path, FakePosixFullName) : SplitWindowsPath(c.path, FakeWindowsFullName);
        EXPECT_EQ(levels.has_value(), !c.levels.empty());
        if (!levels || c.levels.empty()) continue;
        EXPECT_EQ(levels->paths, c.levels);
        EXPECT_EQ(levels->network, c.network);
    }
    EXPECT_EQ(MakeLongPath("C:\\Temp\\a", false), "\\\\?\\C:\\Temp\\a");
    EXPECT_EQ(MakeLongPath("\\\\server\\share\\logs", true), "\\\\?\\UNC\\server\\share\\logs");
}

TEST(CreateComplexDirectory, MakesEveryMissingLevelOnRealFoldersAndStopsAtAFileInTheWay) {
    TempDir dir;
    const std::string deep = dir.path() + "//Журналы/Greyfen Works///{A1}/";
    EXPECT_TRUE(CreateComplexDirectory(deep, false));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(dir / "Журналы/Greyfen Works/{A1}")));
    EXPECT_TRUE(CreateComplexDirectory(deep, true)) << "an existing path is success";
    EXPECT_FALSE(CreateComplexDirectory("/", false));
    EXPECT_FALSE(CreateComplexDirectory("", false));
    testsupport::WriteRaw(dir / "file", "x");
    EXPECT_FALSE(CreateComplexDirectory(dir / "file/below/deeper", false));
    EXPECT_EQ(testsupport::ReadRaw(dir / "file"), "x");
}
