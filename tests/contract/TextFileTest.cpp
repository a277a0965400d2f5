// The text-file object: exact round trips, the encodings it reads, atomic
// writes and the size limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/Errors.h"
#include "support/TempDir.h"

using namespace outside;
using testsupport::FolderNames;
using testsupport::ReadRaw;
using testsupport::TempDir;
using testsupport::WriteRaw;

TEST(TextFile, RoundTripsCyrillicNulAndLineBreaks) {
    TempDir dir;
    std::string text;
    for (const char* field : {"2024", "1", "31", "Вова", "Привет,\r\nмир! ✓ 𝄞", "{GUID}"}) {
        if (!text.empty()) text += '\0';
        text += field;
    }
    const std::string path = dir / "m.ZPMF";
    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8Bom}) {
        TheTextFile().WriteText(path, text, encoding);
        EXPECT_EQ(TheTextFile().ReadText(path), text);
    }
    EXPECT_EQ(ReadRaw(path).substr(0, 3), "\xEF\xBB\xBF") << "message files start with a byte-order mark";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\0'), 5);
}

TEST(TextFile, EmptyChatFileIsZeroBytes) {
    TempDir dir;
    const std::string path = dir / "Беседа.ZPMFChat";
    WriteRaw(path, "old contents");
    TheTextFile().WriteText(path, "", TextEncoding::Utf8);
    EXPECT_EQ(ReadRaw(path), "");
}

TEST(TextFile, ReadsWhatEditorsSave) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "Привет"},
        {"UTF-8 without BOM", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n", "Привет\r\n"},
        {"UTF-16 LE with BOM", std::string("\xFF\xFE\x1F\x04\x40\x04\x38\x04\x0A\x00", 10), "При\n"},
        {"UTF-16 BE with BOM", std::string("\xFE\xFF\x04\x1F\x04\x40\x04\x38", 8), "При"},
        {"cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0", "Привет, мир"},
        {"plain ASCII", "hello", "hello"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        const std::string path = dir / "t.ZTMF";
        WriteRaw(path, c.bytes);
        EXPECT_EQ(TheTextFile().ReadText(path), c.text) << c.what;
    }
}

TEST(TextFile, WritesAtomicallyAndLeavesNothingOnFailure) {
    TempDir dir;
    const std::string path = dir / "a.ZPMF";
    TheTextFile().WriteText(path, "one", TextEncoding::Utf8Bom);
    TheTextFile().WriteText(path, "two", TextEncoding::Utf8Bom);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.ZPMF"}) << "no temporary file is left behind";
    EXPECT_EQ(TheTextFile().ReadText(path), "two");

    const std::string inMissingFolder = esBuildFileName2(dir.path(), "missing", "b.ZPMF");
    EXPECT_THROW(TheTextFile().WriteText(inMissingFolder, "x", TextEncoding::Utf8Bom), RuntimeError);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.ZPMF"});

    // A folder standing where the file should go: the temporary file must go too.
    std::filesystem::create_directory(std::filesystem::u8path(dir / "c.ZPMF"));
    EXPECT_THROW(TheTextFile().WriteText(dir / "c.ZPMF", "x", TextEncoding::Utf8Bom), RuntimeError);
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"a.ZPMF", "c.ZPMF"}));
}

TEST(TextFile, TemporaryNameIsNotAMessageFileName) {
    const std::string temp = TemporaryNameFor(esBuildFileName2("dir", "2024-01-31 13-05-07-042 {X}.ZPMF"));
    EXPECT_NE(esGetFileExtension(temp), "ZPMF");
    EXPECT_EQ(esGetFilePath(temp), "dir");
}

TEST(TextFile, MissingFileAndTooLargeFileAreRunTimeErrors) {
    TempDir dir;
    const RuntimeError missing = testsupport::ErrorOf([&] { TheTextFile().ReadText(dir / "missing.ZPMF"); });
    EXPECT_EQ(missing.Number(), ErrorNumberFromWin32(2));
    EXPECT_NE(missing.Description(), "");
    const std::string big = dir / "big.ZTMF";
    WriteRaw(big, std::string(5 * 1024 * 1024, 'x'));
    const RuntimeError tooLarge = testsupport::ErrorOf([&] { TheTextFile().ReadText(big); });
    EXPECT_EQ(tooLarge.Number(), kErrFileTooLarge);
    EXPECT_NE(tooLarge.Description().find("4 МиБ"), std::string::npos) << tooLarge.Description();
    WriteRaw(big, std::string(kMaxMessageFileBytes, 'y'));
    EXPECT_EQ(TheTextFile().ReadText(big).size(), kMaxMessageFileBytes) << "the limit itself is allowed";
}

TEST(TextFile, WriteBytesKeepsBytesUnchanged) {
    TempDir dir;
    const std::string bytes("\x89PNG\r\n\x1A\n\0\xFF", 10);
    TheTextFile().WriteBytes(dir / "p.png", bytes);
    EXPECT_EQ(ReadRaw(dir / "p.png"), bytes);
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
