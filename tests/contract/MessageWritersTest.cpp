// Writers and readers agree: what the binary and XML writers produce reads
// back field for field, and names sort by sending time.
#include <gtest/gtest.h>

#include <regex>

#include "app/exchange/MessageFiles.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/ReadMessage.h"
#include "support/RecordingDisplay.h"
#include "support/TempDir.h"

using namespace exchange;
using outside::DateTimeRecord;
using testsupport::ReadMessageFile;
using testsupport::RecordingDisplay;
using testsupport::TempDir;

namespace {
const std::string kGuid = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
const DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
}  // namespace

TEST(MessageWriters, FileNameIsUtcStampBlankGuidAndExtension) {
    TempDir dir;
    const std::string a = BuildMessageFileName(kSent, kBinaryExtension, dir.path());
    const std::string b = BuildMessageFileName(kSent, kBinaryExtension, dir.path());
    EXPECT_NE(a, b) << "same millisecond, different GUID";
    EXPECT_EQ(outside::esGetFilePath(a), dir.path());
    const std::regex form(R"(2024-01-31 13-05-07-042 \{[0-9A-F-]{36}\}\.ZPMF)");
    EXPECT_TRUE(std::regex_match(outside::esGetFileName(a), form)) << a;
    const std::string x = BuildMessageFileName(DateTimeRecord{999, 12, 0, 1, 0, 0, 0, 5}, kXmlExtension, dir.path());
    EXPECT_EQ(outside::esGetFileName(x).substr(0, 24), "0999-12-01 00-00-00-005 ");
    EXPECT_EQ(outside::esGetFileExtension(x), "ZXMF");
}

TEST(MessageWriters, BinaryRecordMatchesTheDocumentedExample) {
    EXPECT_EQ(BuildBinaryRecord(kSent, "Vozo", "Hello", "G"), std::string("2024\0" "1\0" "31\0" "13\0" "5\0" "7\0" "42\0Vozo\0Hello\0G", 32));
}

TEST(MessageWriters, BinaryAndXmlRoundTripFieldForField) {
    TempDir dir;
    struct Case {
        std::string user, text, guid;
        MessageKind kind;
    } cases[] = {
        {"Вова", "Привет, мир", kGuid, MessageKind::Mine},
        {"Гость", "a < b && c > d; \"quotes\" 'too'", "{OTHER}", MessageKind::Other},
        {"Ёжик", "строка 1\r\nстрока 2\r\n\r\n  отступ", kGuid, MessageKind::Mine},
        {" ", "emoji 😀 and tabs\tinside", "{OTHER}", MessageKind::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string binary = BuildMessageFileName(kSent, kBinaryExtension, dir.path());
        WriteBinaryMessage(binary, BuildBinaryRecord(kSent, c.user, c.text, c.guid));
        const std::string xml = BuildMessageFileName(kSent, kXmlExtension, dir.path());
        std::string step = "unchanged";
        WriteXmlMessage(xml, kSent, c.user, c.guid, c.text, step);
        EXPECT_EQ(step, "");
        for (const std::string& path : {binary, xml}) {
            RecordingDisplay display;
            ASSERT_EQ(ReadMessageFile(path, display, kGuid), DispatchResult::Processed) << path;
            ASSERT_EQ(display.lines.size(), 1u);
            EXPECT_EQ(display.lines[0].userName, c.user);
            EXPECT_EQ(display.lines[0].text, c.text);
            EXPECT_EQ(display.lines[0].time, kSent);
            EXPECT_EQ(display.lines[0].kind, c.kind);
            EXPECT_EQ(display.lines[0].fileName, outside::esGetFileName(path));
        }
    }
}

// The written document itself, not only what our reader makes of it: the
// declaration, one root, the four elements in order, local="false", nothing else.
TEST(MessageWriters, XmlDocumentIsExactlyTheDocumentedOne) {
    TempDir dir;
    const std::string path = BuildMessageFileName(kSent, kXmlExtension, dir.path());
    std::string step;
    WriteXmlMessage(path, kSent, "Вова <&", "{G}", "Привет", step);
    const std::string written = testsupport::ReadRaw(path);
    const std::regex form(
        "<\\?xml version=\"1\\.0\" encoding=\"utf-8\"\\?>\r?\n"
        "<message><timestamp local=\"false\">2024-01-31 13-05-07\\.042</timestamp><username>Вова &lt;&amp;</username>"
        "<clientguid>\\{G\\}</clientguid><text>Привет</text></message>\r?\n?");
    EXPECT_TRUE(std::regex_match(written, form)) << written;
}

// Characters a format cannot carry arrive as U+FFFD instead of costing the
// message (XML 1.0 has no place for most control characters; U+0000 would
// shift the binary fields).
TEST(MessageWriters, WhatAFormatCannotCarryArrivesAsAReplacement) {
    TempDir dir;
    const std::string name("Вова\0x", 8 + 2);
    const std::string text = "a\x0B" "b\x01" "c\x07";  // a vertical tab is a line break pasted from Word
    const std::string binary = BuildMessageFileName(kSent, kBinaryExtension, dir.path());
    WriteBinaryMessage(binary, BuildBinaryRecord(kSent, name, text, kGuid));
    const std::string xml = BuildMessageFileName(kSent, kXmlExtension, dir.path());
    std::string step;
    WriteXmlMessage(xml, kSent, name, kGuid, text, step);
    const std::string fffd = "\xEF\xBF\xBD";
    for (const std::string& path : {binary, xml}) {
        const bool isXml = path == xml;
        SCOPED_TRACE(isXml ? "XML" : "binary");
        RecordingDisplay display;
        ASSERT_EQ(ReadMessageFile(path, display, kGuid), DispatchResult::Processed);
        EXPECT_EQ(display.lines.at(0).userName, "Вова" + fffd + "x");
        EXPECT_EQ(display.lines.at(0).text, isXml ? "a" + fffd + "b" + fffd + "c" + fffd : text);
        EXPECT_EQ(display.lines.at(0).kind, MessageKind::Mine);
    }
}

TEST(MessageWriters, XmlLineBreaksOfEveryKindComeBackAsCrLf) {
    TempDir dir;
    const std::string path = BuildMessageFileName(kSent, kXmlExtension, dir.path());
    std::string step;
    WriteXmlMessage(path, kSent, "u", kGuid, "a\rb\nc\r\nd", step);
    RecordingDisplay display;
    ASSERT_EQ(DispatchMessage_XML(path, display, kGuid), DispatchResult::Processed);
    EXPECT_EQ(display.lines.at(0).text, "a\r\nb\r\nc\r\nd");
}

TEST(MessageWriters, FailedWriteNamesTheStepAndLeavesNoFile) {
    TempDir dir;
    const std::string missing = outside::esBuildFileName2(dir.path(), "gone");
    const std::string xml = BuildMessageFileName(kSent, kXmlExtension, missing);
    std::string step;
    EXPECT_THROW(WriteXmlMessage(xml, kSent, "u", kGuid, "t", step), outside::RuntimeError);
    EXPECT_EQ(step, kStepSaveFile);
    EXPECT_THROW(WriteBinaryMessage(BuildMessageFileName(kSent, kBinaryExtension, missing), "x"), outside::RuntimeError);
    EXPECT_FALSE(outside::esIsFileExist(xml));
}

TEST(MessageWriters, OversizedFilesAreBrokenWithoutBeingRead) {
    TempDir dir;
    for (const char* ext : {kBinaryExtension, kXmlExtension, kTextExtension}) {
        const std::string path = dir / (std::string("big.") + ext);
        testsupport::WriteRaw(path, std::string(5 * 1024 * 1024, 'x'));
        RecordingDisplay display;
        EXPECT_EQ(ReadMessageFile(path, display, kGuid), DispatchResult::Broken) << ext;
        ASSERT_EQ(display.lines.size(), 1u);
        EXPECT_EQ(display.lines[0].kind, MessageKind::System);
        EXPECT_NE(display.lines[0].text.find("4 МиБ"), std::string::npos) << display.lines[0].text;
        EXPECT_EQ(display.lines[0].text.rfind("Не удалось обработать полученное сообщение.\r\nОшибка 31001: ", 0), 0u);
    }
}

TEST(MessageWriters, UnreadableFileIsRetryWithADebugNotice) {
    TempDir dir;
    for (const auto& [ext, name] : {std::pair{kBinaryExtension, "DispatchMessage_Binary"},
                                    {kXmlExtension, "DispatchMessage_XML"}, {kTextExtension, "DispatchMessage_Text"}}) {
        const std::string path = dir / (std::string("gone.") + ext);
        RecordingDisplay display;
        EXPECT_EQ(ReadMessageFile(path, display, kGuid), DispatchResult::Retry) << name;
        ASSERT_EQ(display.lines.size(), 1u);
        EXPECT_EQ(display.lines[0].kind, MessageKind::Debug);
        const std::string& text = display.lines[0].text;
        EXPECT_EQ(text.rfind(std::string(name) + "() ==> Не удалось прочитать файл. Пока пропускаем. \r\nОшибка 0x80070002: ", 0), 0u) << text;
        EXPECT_EQ(text.substr(text.rfind("\r\n") + 2), path);
    }
}
