// Message files: every file of the golden corpus gives the same result, kind,
// fields and notice on both platforms (parser reasons natively only: Wine's
// MSXML gives a dummy one); what the writers produce reads back field for field.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <regex>

#include "app/exchange/MessageFiles.h"
#include "outside/DateTime.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/ReadMessage.h"
#include "support/RecordingDisplay.h"
#ifndef _WIN32
#include "support/ScopedEnv.h"
#endif
#include "support/TempDir.h"

using namespace exchange;
using outside::DateTimeRecord;
using testsupport::ReadMessageFile;
using testsupport::RecordingDisplay;
using testsupport::TempDir;

namespace {

// A zone with an offset for the local-time case: set here on POSIX (UTC+3, no
// daylight saving); Windows keeps its zone to itself, and test.sh gives Wine UTC+3.
#ifdef _WIN32
struct ZoneForTest {};
constexpr bool kNative = false;
#else
constexpr bool kNative = true;
struct ZoneForTest {
    struct Tzset {
        ~Tzset() { ::tzset(); }  // last, once the zone is restored
    } after;
    testsupport::ScopedEnv zone{"TZ", "MSK-3"};
    ZoneForTest() { ::tzset(); }
};
#endif

const std::string kMine = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
const DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
const std::string kBroken = "Не удалось обработать полученное сообщение";
const std::string kFffd = "\xEF\xBF\xBD";

enum class Check { Exact, ReasonNativeOnly, NowTime, LocalTime };

}  // namespace

TEST(MessageCorpus, EveryFileGivesItsResultKindFieldsAndNotice) {
    struct Case {
        const char* file;
        DispatchResult result;
        MessageKind kind;  // of the one displayed line (System for a broken file's notice)
        std::string user;
        std::string text;  // message text, or notice text before its line with the full path
        Check check = Check::Exact;
    };
    const std::string subscript = ".\r\nОшибка 9: Индекс вне допустимого диапазона";
    const std::string typeMismatch = ".\r\nОшибка 13: Несоответствие типа";
    using enum DispatchResult;
    using enum MessageKind;
    using enum Check;
    const Case cases[] = {
        {"b01-nine-fields.ZPMF", Processed, Mine, "Вова", "Привет"},
        {"b02-eight-fields.ZPMF", Broken, System, "", kBroken + subscript},
        {"b03-other.ZPMF", Processed, Other, "Гость", "Здравствуйте"},
        {"b04-mine.ZPMF", Processed, Mine, "Вова", "Это я"},
        {"b05-extra-fields.ZPMF", Processed, Other, "Вова", "Лишнее"},
        {"b06-non-numeric-date.ZPMF", Broken, System, "", kBroken + typeMismatch},
        {"b07-year-70000.ZPMF", Broken, System, "", kBroken + ".\r\nОшибка 6: Переполнение"},
        {"b08-guid-case.ZPMF", Processed, Other, "Вова", "x"},
        {"b09-multiline.ZPMF", Processed, Other, "Вова", "строка 1\r\nстрока 2\r\n\r\nстрока 4"},
        {"b10-empty.ZPMF", Broken, System, "", kBroken + typeMismatch},
        {"b11-cp1251-name.ZPMF", Processed, Other, "Вова", "Привет"},
        {"x01-utc.ZXMF", Processed, Other, "Вова", "Привет"},
        {"x02-no-local.ZXMF", Processed, Other, "Вова", "Привет"},
        {"x03-local-true.ZXMF", Processed, Other, "Вова", "Привет", LocalTime},
        {"x04-t-and-colons.ZXMF", Processed, Other, "Вова", "Привет"},
        {"x05-unpadded-month.ZXMF", Broken, System, "", kBroken + kStepDate + typeMismatch},
        {"x06-missing-text.ZXMF", Broken, System, "",
         kBroken + kStepStructure + ".\r\nОшибка 91: Нет элемента /message/text"},
        {"x07-dtd-entity.ZXMF", Broken, System, "",
         kBroken + kStepParse + ".\r\nОшибка 0xC00CE5FF: DTD в сообщениях не допускаются. Строка 2, символ 1."},
        {"x08-escaped-chars.ZXMF", Processed, Other, "Вова", "a < b && c\r\nd\r\ne\r\nf\r\n"},
        {"x09-malformed.ZXMF", Broken, System, "",
         kBroken + kStepParse +
             ".\r\nОшибка 0xC00CE04C: Opening and ending tag mismatch: text line 2 and txet. Строка 2, символ 177.",
         ReasonNativeOnly},
        {"x10-mine.ZXMF", Processed, Mine, "Вова", "Привет"},
        {"x11-bom.ZXMF", Processed, Other, "Маша", "Привет"},
        {"x12-too-deep.ZXMF", Broken, System, "",
         kBroken + kStepParse +
             ".\r\nОшибка 0xC00CE5FF: Слишком глубокая вложенность элементов (больше 64). Строка 2, символ 366."},
        {"x13-bad-local.ZXMF", Broken, System, "", kBroken + kStepDate + typeMismatch},
        {"x14-utf16.ZXMF", Processed, Other, "Оля", "Привет"},
        {"t01-utf8-bom.ZTMF", Processed, Other, kTextSenderName, "  Привет из блокнота\r\nвторая строка\r\n", NowTime},
        {"t02-utf8.ZTMF", Processed, Other, kTextSenderName, "Hello\nмир\n", NowTime},
        {"t03-utf16le.ZTMF", Processed, Other, kTextSenderName, "Записка\r\n", NowTime},
        {"t04-cp1251.ZTMF", Processed, Other, kTextSenderName, "Записка в cp1251\r\n", NowTime},
    };
    [[maybe_unused]] ZoneForTest zone;
    const int offsetHours = outside::esSystemTimeToLocalSystemTime(kSent).hour - kSent.hour;
    ASSERT_NE(offsetHours, 0) << "the local-time case needs a zone with an offset";
    // x03's stamp 16:05 was local time: in the zone of the run, 13:05 UTC.
    const DateTimeRecord local{2024, 1, 0, 31, static_cast<uint16_t>(16 - offsetHours), 5, 7, 42};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = testsupport::CorpusPath(outside::esBuildFileName2("messages", c.file));
        RecordingDisplay display;
        EXPECT_EQ(ReadMessageFile(path, display, kMine), c.result);
        ASSERT_EQ(display.lines.size(), 1u);
        const auto& line = display.lines[0];
        EXPECT_EQ(line.kind, c.kind);
        EXPECT_EQ(line.userName, c.user);
        if (c.result != DispatchResult::Processed) {
            // The step line and the path are ours; the reason, under Wine, is the parser's.
            const bool whole = c.check != ReasonNativeOnly || kNative;
            EXPECT_EQ(whole ? line.text : line.text.substr(0, line.text.find("\r\n")),
                      whole ? c.text + "\r\n" + path : c.text.substr(0, c.text.find("\r\n")));
            EXPECT_EQ(line.text.substr(line.text.rfind("\r\n")), "\r\n" + path);
            continue;
        }
        EXPECT_EQ(line.text, c.text);
        EXPECT_EQ(line.fileName, c.file);
        if (c.check == NowTime)
            EXPECT_LE(std::llabs(outside::MinuteBoundariesBetween(line.time, outside::esGetSystemTime())), 1);
        else
            EXPECT_EQ(line.time, c.check == LocalTime ? local : kSent);
    }
}

// The written name, record and document themselves, not only what our reader
// makes of them: names sort by sending time, one GUID each.
TEST(MessageWriters, NameRecordAndDocumentAreTheDocumentedOnes) {
    TempDir dir;
    const std::string a = BuildMessageFileName(kSent, kBinaryExtension, dir.path());
    EXPECT_NE(a, BuildMessageFileName(kSent, kBinaryExtension, dir.path())) << "same millisecond, different GUID";
    EXPECT_EQ(outside::esGetFilePath(a), dir.path());
    const std::regex form(R"(2024-01-31 13-05-07-042 \{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}\.ZPMF)");
    EXPECT_TRUE(std::regex_match(outside::esGetFileName(a), form)) << a;
    const std::string x = BuildMessageFileName(DateTimeRecord{999, 12, 0, 1, 0, 0, 0, 5}, kXmlExtension, dir.path());
    EXPECT_EQ(outside::esGetFileName(x).substr(0, 24), "0999-12-01 00-00-00-005 ");
    EXPECT_EQ(outside::esGetFileExtension(x), "ZXMF");
    EXPECT_EQ(BuildBinaryRecord(kSent, "Vozo", "Hello", "G"),
              std::string("2024\0" "1\0" "31\0" "13\0" "5\0" "7\0" "42\0Vozo\0Hello\0G", 32));
    std::string step;
    WriteXmlMessage(x, kSent, "Вова <&", "{G}", "Привет", step);
    const std::string written = testsupport::ReadRaw(x);
    const std::regex document(
        "<\\?xml version=\"1\\.0\" encoding=\"utf-8\"\\?>\r?\n"
        "<message><timestamp local=\"false\">2024-01-31 13-05-07\\.042</timestamp><username>Вова &lt;&amp;</username>"
        "<clientguid>\\{G\\}</clientguid><text>Привет</text></message>\r?\n?");
    EXPECT_TRUE(std::regex_match(written, document)) << written;
}

// Characters a format cannot carry arrive as U+FFFD instead of costing the
// message (XML 1.0 has no place for most control characters; U+0000 would
// shift the binary fields); XML gives every line break back as CR LF.
TEST(MessageWriters, BinaryAndXmlRoundTripFieldForField) {
    TempDir dir;
    struct Case {
        std::string user, text, guid;
        MessageKind kind;
        std::string userRead = {}, xmlText = {};  // as read back, when not as written
    } cases[] = {
        {"Гость", "a < b && c > d; \"quotes\" 'too'", "{OTHER}", MessageKind::Other},
        {"Ёжик", "строка 1\r\nстрока 2\r\n\r\n  отступ", kMine, MessageKind::Mine},
        {" ", "emoji 😀 and tabs\tinside", "{OTHER}", MessageKind::Other},
        {std::string("Вова\0x", 10), "a\x0B" "b\x01" "c\x07", kMine, MessageKind::Mine, "Вова" + kFffd + "x",
         "a" + kFffd + "b" + kFffd + "c" + kFffd},  // a vertical tab is a line break pasted from Word
        {"u", "a\rb\nc\r\nd", kMine, MessageKind::Mine, "", "a\r\nb\r\nc\r\nd"},
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
            ASSERT_EQ(ReadMessageFile(path, display, kMine), DispatchResult::Processed) << path;
            ASSERT_EQ(display.lines.size(), 1u);
            const auto& line = display.lines[0];
            EXPECT_EQ(line.userName, c.userRead.empty() ? c.user : c.userRead);
            EXPECT_EQ(line.text, path == xml && !c.xmlText.empty() ? c.xmlText : c.text) << path;
            EXPECT_EQ(std::tuple(line.time, line.kind, line.fileName),
                      std::tuple(kSent, c.kind, outside::esGetFileName(path)));
        }
    }
}

// A failed write names its step and leaves no file; too large a file is broken
// without being read, a missing one waits with a debug notice.
TEST(MessageWriters, FailedWritesOversizedAndMissingFiles) {
    TempDir dir;
    const std::string missing = outside::esBuildFileName2(dir.path(), "gone");
    const std::string xml = BuildMessageFileName(kSent, kXmlExtension, missing);
    std::string step;
    EXPECT_THROW(WriteXmlMessage(xml, kSent, "u", kMine, "t", step), outside::RuntimeError);
    EXPECT_EQ(step, kStepSaveFile);
    EXPECT_THROW(WriteBinaryMessage(BuildMessageFileName(kSent, kBinaryExtension, missing), "x"), outside::RuntimeError);
    EXPECT_FALSE(outside::esIsFileExist(xml));
    for (const auto& [ext, reader] : {std::pair{kBinaryExtension, "DispatchMessage_Binary"},
                                      {kXmlExtension, "DispatchMessage_XML"}, {kTextExtension, "DispatchMessage_Text"}}) {
        SCOPED_TRACE(ext);
        const std::string big = dir / (std::string("big.") + ext);
        testsupport::WriteRaw(big, std::string(outside::kMaxMessageFileBytes + 1, 'x'));
        const std::string gone = dir / (std::string("gone.") + ext);
        RecordingDisplay display;
        EXPECT_EQ(ReadMessageFile(big, display, kMine), DispatchResult::Broken);
        EXPECT_EQ(ReadMessageFile(gone, display, kMine), DispatchResult::Retry);
        ASSERT_EQ(display.lines.size(), 2u);
        EXPECT_EQ(display.lines[0].kind, MessageKind::System);
        const std::string& tooLarge = display.lines[0].text;
        EXPECT_EQ(tooLarge.rfind(kBroken + ".\r\nОшибка 31001: ", 0), 0u) << tooLarge;
        EXPECT_NE(tooLarge.find("4 МиБ"), std::string::npos) << tooLarge;
        EXPECT_EQ(display.lines[1].kind, MessageKind::Debug);
        const std::string& text = display.lines[1].text;
        const std::string notice = "() ==> Не удалось прочитать файл. Пока пропускаем. \r\nОшибка 0x80070002: ";
        EXPECT_EQ(text.rfind(reader + notice, 0), 0u) << text;
        EXPECT_EQ(text.substr(text.rfind("\r\n") + 2), gone);
    }
}
