// Path grammar and file queries, and the text-file object: exact round trips,
// the encodings it reads, atomic writes and the size limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/TempDir.h"

using namespace outside;
using testsupport::FolderNames;
using testsupport::ReadRaw;
using testsupport::TempDir;
using testsupport::WriteRaw;

namespace {
const std::string S(1, PathSeparator());
}

// Each write replaces the file whole, through a temporary file that never
// stays: the bytes are the text, after a byte-order mark only where asked for.
TEST(TextFile, WritesExactlyTheBytesAtomicallyAndLeavesNothingOnFailure) {
    using namespace std::string_literals;
    TempDir dir;
    const std::string text = "2024\0" "1\0" "31\0Вова\0Привет,\r\nмир! ✓ 𝄞\0{GUID}"s;
    const std::string path = dir / "a.ZPMF";
    WriteRaw(path, "old contents");
    for (const auto& [encoding, bytes] : {std::pair{TextEncoding::Utf8, ""s},
                                          {TextEncoding::Utf8Bom, "\xEF\xBB\xBF" + text}, {TextEncoding::Utf8, text}}) {
        TheTextFile().WriteText(path, bytes.empty() ? "" : text, encoding);
        EXPECT_EQ(ReadRaw(path), bytes);
        EXPECT_EQ(TheTextFile().ReadText(path), bytes.empty() ? "" : text);
    }
    const std::string png("\x89PNG\r\n\x1A\n\0\xFF", 10);
    TheTextFile().WriteBytes(path, png);
    EXPECT_EQ(ReadRaw(path), png);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.ZPMF"}) << "no temporary file is left behind";

    EXPECT_THROW(TheTextFile().WriteText(esBuildFileName2(dir.path(), "missing", "b.ZPMF"), "x", TextEncoding::Utf8Bom),
                 RuntimeError);
    // A folder standing where the file should go: the temporary file must go too.
    std::filesystem::create_directory(std::filesystem::u8path(dir / "c.ZPMF"));
    EXPECT_THROW(TheTextFile().WriteText(dir / "c.ZPMF", "x", TextEncoding::Utf8Bom), RuntimeError);
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"a.ZPMF", "c.ZPMF"}));
    // Nor is the temporary file's name that of a message file.
    const std::string temp = TemporaryNameFor(esBuildFileName2("dir", "2024-01-31 13-05-07-042 {X}.ZPMF"));
    EXPECT_NE(esGetFileExtension(temp), "ZPMF");
    EXPECT_EQ(esGetFilePath(temp), "dir");
}

// What editors save; too large is refused without reading (the readers' notices: the message suites).
TEST(TextFile, ReadsWhatEditorsSaveUpToTheLimit) {
    TempDir dir;
    const std::tuple<const char*, std::string, std::string> cases[] = {  // what, bytes, text
        {"UTF-8 with BOM", "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8", "При"},
        {"UTF-8 without BOM", "\xD0\x9F\xD1\x80\r\n", "Пр\r\n"},
        {"UTF-16 LE, a lone low surrogate", std::string("\xFF\xFE\x1F\x04\x40\x04\x00\xDC\x0A\x00", 10), "Пр\uFFFD\n"},
        {"UTF-16 BE with BOM", std::string("\xFE\xFF\x04\x1F\x04\x40\x04\x38", 8), "При"},
        {"cp1251", "\xC1\xEE\xE1, \xEC\xE8\xF0", "Боб, мир"},
        {"an overlong UTF-8 form is cp1251", "\xC0\xAF", "АЇ"},
        {"the limit itself", std::string(kMaxMessageFileBytes, 'y'), std::string(kMaxMessageFileBytes, 'y')},
    };
    for (const auto& [what, bytes, text] : cases) {
        WriteRaw(dir / "t.ZTMF", bytes);
        EXPECT_TRUE(TheTextFile().ReadText(dir / "t.ZTMF") == text) << what;
    }
}

TEST(TextFile, ReadsInPiecesWithoutStandingInTheWriterSWay) {
    TempDir dir;
    const std::string path = dir / "2024-05-01 10-00-00.RTF";
    std::string bytes;
    for (int i = 0; i < 2500; ++i) bytes += static_cast<char>('a' + i % 26);
    WriteRaw(path, bytes);
    std::string buffer(1000, '\0'), got;
    std::vector<size_t> sizes;
    ReadFilePieces(path, buffer, [&](std::string_view piece) {
        // The chat writes its current log in place while the viewer reads it.
        if (sizes.empty()) OverwriteFileTail(path, 2500, 2000, "tail");
        got += piece;
        sizes.push_back(piece.size());
        return true;
    });
    EXPECT_EQ(got, bytes.substr(0, 2000) + "tail");
    EXPECT_EQ(sizes, (std::vector<size_t>{1000, 1000, 4}));
    int pieces = 0;
    ReadFilePieces(path, buffer, [&](std::string_view) { return ++pieces < 0; });
    EXPECT_EQ(pieces, 1) << "stops when told";
    EXPECT_THROW(ReadFilePieces(dir / "missing.RTF", buffer, [](std::string_view) { return true; }), RuntimeError);
}

TEST(Paths, JoinUsesExactlyOneSeparatorAndSkipsEmptyParts) {
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"a" + S, "b", "", "a" + S + "b"},
        {"a" + S + S + S, S + S + "b", "", "a" + S + "b"},
        {"", "a", "", "a"},
        {"a", "", "b", "a" + S + "b"},
        {"a", "b", "*.ZPMF", "a" + S + "b" + S + "*.ZPMF"},
        {S, "x", "", S + "x"},
    };
    for (const auto& [a, b, c, expected] : cases) EXPECT_EQ(esBuildFileName2(a, b, c), expected) << a << "|" << b << "|" << c;
    EXPECT_EQ(esBuildFileName2("1", "2", "3", "4", "5", "6", "7", "8", "9"),
              "1" + S + "2" + S + "3" + S + "4" + S + "5" + S + "6" + S + "7" + S + "8" + S + "9");
}

TEST(Paths, SplitsNameFolderAndExtension) {
    const std::string dir = S + "Chats" + S + "Семья";
    const std::tuple<std::string, std::string, std::string> cases[] = {  // name, without extension, extension
        {"Беседа.ZPMFChat", "Беседа", "ZPMFChat"},
        {"archive.tar.gz", "archive.tar", "gz"},
        {"noextension", "noextension", ""},
        {"a.ZPMF.!sync", "a.ZPMF", "!sync"},
    };
    for (const auto& [name, withoutExt, ext] : cases) {
        const std::string full = esBuildFileName2(dir, name);
        EXPECT_EQ(esGetFileName(full) + "|" + esGetFileName(full, true) + "|" + esGetFileExtension(full) + "|" +
                      esGetFilePath(full) + "|" + esGetFileName(name),
                  name + "|" + withoutExt + "|" + ext + "|" + dir + "|" + name);
    }
    EXPECT_EQ(esGetFilePath(dir + S + S + "x"), dir) << "repeated separators are one";
    EXPECT_EQ(esGetFilePath(S + "x"), S) << "the root keeps its separator";
}

// Relative names are under the current folder; existence is for files only;
// temporary names are new, special folders and the module absolute.
TEST(Paths, FullNamesAndFileQueries) {
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(dir.path()));
    const std::string full = esGetFullFileName("chat.ZPMFChat", true);
    const std::string fullDotted = esGetFullFileName(std::string(".") + S + "sub" + S + ".." + S + "chat.ZPMFChat");
    std::filesystem::current_path(previous);
    EXPECT_EQ(esGetFullFileName(esGetFilePath(full)), esGetFullFileName(dir.path()));
    EXPECT_EQ(fullDotted, full);
    EXPECT_EQ(esGetFullFileName(full), full) << "a full path stays as it is";
    EXPECT_EQ(esGetFullFileName(""), "");

    const std::string file = dir / "Чат.ZPMFChat";
    WriteRaw(file, "");
    EXPECT_TRUE(esIsFileExist(file));
    for (const std::string& none : {dir.path(), file + ".!sync", std::string()})
        EXPECT_FALSE(esIsFileExist(none)) << none;
    EXPECT_EQ(esGetFileSizeEx(file), 0u);
    const std::string a = esGetTempFileName2(dir.path(), "TMP");
    EXPECT_NE(a, asGetTempFileName2(dir.path(), "TMP"));
    EXPECT_EQ(esGetFullFileName(esGetFilePath(a)), esGetFullFileName(dir.path()));
    EXPECT_TRUE(esGetFileName(a).rfind("TMP", 0) == 0) << a;
    const std::string inTemp = esGetTempFileName2();
    EXPECT_TRUE(esIsFileExist(inTemp)) << "the name is taken by an empty file: " << inTemp;
    RemoveFile(inTemp);
    for (const std::string& folder : {esGetSpecialFolder(kFolderAppData), esGetSpecialFolder(kFolderStartup)})
        EXPECT_TRUE(!folder.empty() && esGetFullFileName(folder) == folder) << folder;
    EXPECT_TRUE(esIsFileExist(esGetModuleFileName())) << esGetModuleFileName();
}
