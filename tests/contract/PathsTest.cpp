// Path grammar and file queries: the same contract on Windows and POSIX.
#include <gtest/gtest.h>

#include <filesystem>

#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/TempDir.h"

using namespace outside;
using testsupport::TempDir;

namespace {
const std::string S(1, PathSeparator());
}

TEST(Paths, JoinUsesExactlyOneSeparatorAndSkipsEmptyParts) {
    struct Case {
        std::string a, b, c, expected;
    } cases[] = {
        {"a", "b", "", "a" + S + "b"},
        {"a" + S, "b", "", "a" + S + "b"},
        {"a" + S + S, S + "b", "", "a" + S + "b"},
        {"", "a", "", "a"},
        {"a", "", "b", "a" + S + "b"},
        {"a", "b", "*.ZPMF", "a" + S + "b" + S + "*.ZPMF"},
        {S + "root", "x", "", S + "root" + S + "x"},
        {S, "x", "", S + "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(esBuildFileName2(c.a, c.b, c.c), c.expected) << c.a << "|" << c.b << "|" << c.c;
    EXPECT_EQ(esBuildFileName2("1", "2", "3", "4", "5", "6", "7", "8", "9"),
              "1" + S + "2" + S + "3" + S + "4" + S + "5" + S + "6" + S + "7" + S + "8" + S + "9");
}

TEST(Paths, SplitsNameFolderAndExtension) {
    const std::string dir = S + "Chats" + S + "Семья";
    struct Case {
        std::string name, withoutExt, ext;
    } cases[] = {
        {"2024-01-31 13-05-07-042 {A}.ZPMF", "2024-01-31 13-05-07-042 {A}", "ZPMF"},
        {"Беседа.ZPMFChat", "Беседа", "ZPMFChat"},
        {"archive.tar.gz", "archive.tar", "gz"},
        {"noextension", "noextension", ""},
        {"a.ZPMF.!sync", "a.ZPMF", "!sync"},
    };
    for (const auto& c : cases) {
        const std::string full = esBuildFileName2(dir, c.name);
        EXPECT_EQ(esGetFileName(full), c.name);
        EXPECT_EQ(esGetFileName(full, true), c.withoutExt);
        EXPECT_EQ(esGetFileExtension(full), c.ext);
        EXPECT_EQ(esGetFilePath(full), dir);
        EXPECT_EQ(esGetFileName(c.name), c.name);
    }
    EXPECT_EQ(esGetFilePath(dir + S + S + "x"), dir) << "repeated separators are one";
    EXPECT_EQ(esGetFilePath(S + "x"), S) << "the root keeps its separator";
}

TEST(Paths, FullFileNameOfRelativeNameIsUnderCurrentFolder) {
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(dir.path()));
    const std::string full = esGetFullFileName("chat.ZPMFChat", true);
    const std::string fullDotted = esGetFullFileName(std::string(".") + S + "sub" + S + ".." + S + "chat.ZPMFChat");
    std::filesystem::current_path(previous);
    EXPECT_EQ(esGetFileName(full), "chat.ZPMFChat");
    EXPECT_EQ(esGetFullFileName(esGetFilePath(full)), esGetFullFileName(dir.path()));
    EXPECT_EQ(fullDotted, full);
    EXPECT_EQ(esGetFullFileName(full), full) << "a full path stays as it is";
    EXPECT_EQ(esGetFullFileName(""), "");
}

TEST(Paths, FileExistenceIsForFilesOnly) {
    TempDir dir;
    const std::string file = dir / "Чат.ZPMFChat";
    TheTextFile().WriteText(file, "", TextEncoding::Utf8);
    EXPECT_TRUE(esIsFileExist(file));
    EXPECT_FALSE(esIsFileExist(dir.path())) << "a folder is not a file";
    EXPECT_FALSE(esIsFileExist(dir / "missing.ZPMF"));
    EXPECT_FALSE(esIsFileExist(file + ".!sync"));
    EXPECT_FALSE(esIsFileExist(""));
    EXPECT_EQ(esGetFileSizeEx(file), 0u);
}

TEST(Paths, TempFileNamesAreNewAndUnique) {
    TempDir dir;
    const std::string a = esGetTempFileName2(dir.path(), "TMP");
    const std::string b = asGetTempFileName2(dir.path(), "TMP");
    EXPECT_NE(a, b);
    EXPECT_EQ(esGetFullFileName(esGetFilePath(a)), esGetFullFileName(dir.path()));
    EXPECT_TRUE(esGetFileName(a).rfind("TMP", 0) == 0) << a;
    EXPECT_FALSE(esGetTempFileName2().empty());
}

TEST(Paths, SpecialFoldersAndModuleAreAbsolute) {
    for (int id : {kFolderAppData, kFolderStartup}) {
        const std::string folder = esGetSpecialFolder(id);
        EXPECT_FALSE(folder.empty());
        EXPECT_EQ(esGetFullFileName(folder), folder) << id;
    }
    const std::string exe = esGetModuleFileName();
    EXPECT_TRUE(esIsFileExist(exe)) << exe;
}
