// The golden corpus of message files: every file gives the same result, kind,
// fields and notice on both platforms (parser reason texts natively only:
// Wine's MSXML reports a dummy reason).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "app/exchange/MessageFiles.h"
#include "outside/DateTime.h"
#include "outside/Support.h"
#include "support/ReadMessage.h"
#include "support/RecordingDisplay.h"
#ifndef _WIN32
#include "support/ScopedEnv.h"
#endif
#include "support/TempDir.h"

using namespace exchange;
using outside::DateTimeRecord;
using testsupport::CorpusPath;
using testsupport::RecordingDisplay;

namespace {

// A zone with an offset for the local-time case, whatever zone the run has.
// POSIX: set here (UTC+3, no daylight saving). Windows keeps its zone to
// itself: the case then needs a run in a zone with an offset (test.sh gives
// Wine UTC+3) and says so rather than passing in UTC.
#ifdef _WIN32
struct ZoneForTest {};
#else
struct ZoneForTest {
    ZoneForTest() { ::tzset(); }
    ~ZoneForTest() {
        zone.reset();
        ::tzset();
    }
    std::optional<testsupport::ScopedEnv> zone{std::in_place, "TZ", "MSK-3"};
};
#endif

int OffsetHours() {
    const DateTimeRecord local = outside::esSystemTimeToLocalSystemTime({2024, 1, 0, 31, 13, 5, 7, 42});
    return local.hour - 13;
}

const std::string kMine = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
const DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
const std::string kBroken = "Не удалось обработать полученное сообщение";

enum class Check { Exact, ReasonNativeOnly, NowTime, LocalTime };

struct Case {
    const char* file;
    DispatchResult result;
    MessageKind kind;  // of the one displayed line (System for a broken file's notice)
    std::string user;
    std::string text;  // message text, or notice text with {path} for the full path
    Check check = Check::Exact;
};

std::string WithPath(std::string text, const std::string& path) {
    const size_t at = text.find("{path}");
    if (at != std::string::npos) text.replace(at, 6, path);
    return text;
}

}  // namespace

TEST(MessageCorpus, EveryFileGivesItsResultKindFieldsAndNotice) {
    const std::string subscript = ".\r\nОшибка 9: Индекс вне допустимого диапазона\r\n{path}";
    const std::string typeMismatch = "Ошибка 13: Несоответствие типа\r\n{path}";
    const Case cases[] = {
        {"b01-nine-fields.ZPMF", DispatchResult::Processed, MessageKind::Mine, "Вова", "Привет"},
        {"b02-eight-fields.ZPMF", DispatchResult::Broken, MessageKind::System, "", kBroken + subscript},
        {"b03-other.ZPMF", DispatchResult::Processed, MessageKind::Other, "Гость", "Здравствуйте"},
        {"b04-mine.ZPMF", DispatchResult::Processed, MessageKind::Mine, "Вова", "Это я"},
        {"b05-extra-fields.ZPMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Лишнее"},
        {"b06-non-numeric-date.ZPMF", DispatchResult::Broken, MessageKind::System, "", kBroken + ".\r\n" + typeMismatch},
        {"b07-year-70000.ZPMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + ".\r\nОшибка 6: Переполнение\r\n{path}"},
        {"b08-guid-case.ZPMF", DispatchResult::Processed, MessageKind::Other, "Вова", "x"},
        {"b09-multiline.ZPMF", DispatchResult::Processed, MessageKind::Other, "Вова",
         "строка 1\r\nстрока 2\r\n\r\nстрока 4"},
        {"b10-empty.ZPMF", DispatchResult::Broken, MessageKind::System, "", kBroken + ".\r\n" + typeMismatch},
        {"b11-cp1251-name.ZPMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Привет"},
        {"x01-utc.ZXMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Привет"},
        {"x02-no-local.ZXMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Привет"},
        {"x03-local-true.ZXMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Привет", Check::LocalTime},
        {"x04-t-and-colons.ZXMF", DispatchResult::Processed, MessageKind::Other, "Вова", "Привет"},
        {"x05-unpadded-month.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepDate + ".\r\n" + typeMismatch},
        {"x06-missing-text.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepStructure + ".\r\nОшибка 91: Нет элемента /message/text\r\n{path}"},
        {"x07-dtd-entity.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepParse + ".\r\nОшибка 0xC00CE5FF: DTD в сообщениях не допускаются. Строка 2, символ 1.\r\n{path}"},
        {"x08-escaped-chars.ZXMF", DispatchResult::Processed, MessageKind::Other, "Вова",
         "a < b && c\r\nd\r\ne\r\nf\r\n"},
        {"x09-malformed.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepParse +
             ".\r\nОшибка 0xC00CE04C: Opening and ending tag mismatch: text line 2 and txet. Строка 2, символ 177.\r\n{path}",
         Check::ReasonNativeOnly},
        {"x10-mine.ZXMF", DispatchResult::Processed, MessageKind::Mine, "Вова", "Привет"},
        {"x11-bom.ZXMF", DispatchResult::Processed, MessageKind::Other, "Маша", "Привет"},
        {"x12-too-deep.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepParse +
             ".\r\nОшибка 0xC00CE5FF: Слишком глубокая вложенность элементов (больше 64). Строка 2, символ 366.\r\n{path}"},
        {"x13-bad-local.ZXMF", DispatchResult::Broken, MessageKind::System, "",
         kBroken + kStepDate + ".\r\n" + typeMismatch},
        {"x14-utf16.ZXMF", DispatchResult::Processed, MessageKind::Other, "Оля", "Привет"},
        {"t01-utf8-bom.ZTMF", DispatchResult::Processed, MessageKind::Other, kTextSenderName,
         "  Привет из блокнота\r\nвторая строка\r\n", Check::NowTime},
        {"t02-utf8.ZTMF", DispatchResult::Processed, MessageKind::Other, kTextSenderName, "Hello\nмир\n",
         Check::NowTime},
        {"t03-utf16le.ZTMF", DispatchResult::Processed, MessageKind::Other, kTextSenderName, "Записка\r\n",
         Check::NowTime},
        {"t04-cp1251.ZTMF", DispatchResult::Processed, MessageKind::Other, kTextSenderName, "Записка в cp1251\r\n",
         Check::NowTime},
    };
#ifdef _WIN32
    const bool native = false;
#else
    const bool native = true;
#endif
    [[maybe_unused]] ZoneForTest zone;
    const int kOffsetHours = OffsetHours();
    ASSERT_NE(kOffsetHours, 0) << "the local-time case needs a zone with an offset";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = CorpusPath(outside::esBuildFileName2("messages", c.file));
        RecordingDisplay display;
        EXPECT_EQ(testsupport::ReadMessageFile(path, display, kMine), c.result);
        ASSERT_EQ(display.lines.size(), 1u);
        const auto& line = display.lines[0];
        EXPECT_EQ(line.kind, c.kind);
        EXPECT_EQ(line.userName, c.user);
        const std::string expected = WithPath(c.text, path);
        if (c.check == Check::ReasonNativeOnly && !native) {
            // The step line and the path are ours; the reason is the parser's.
            EXPECT_EQ(line.text.substr(0, line.text.find("\r\n")), expected.substr(0, expected.find("\r\n")));
            EXPECT_EQ(line.text.substr(line.text.rfind("\r\n")), "\r\n" + path);
        } else {
            EXPECT_EQ(line.text, expected);
        }
        if (c.result != DispatchResult::Processed) continue;
        EXPECT_EQ(line.fileName, c.file);
        switch (c.check) {
            case Check::NowTime:
                EXPECT_LE(std::llabs(outside::MinuteBoundariesBetween(line.time, outside::esGetSystemTime())), 1);
                break;
            case Check::LocalTime:
                // The stamp 16:05 was local time; in the zone the test set (UTC+3) that is 13:05 UTC.
                EXPECT_EQ(line.time, (DateTimeRecord{2024, 1, 0, 31, static_cast<uint16_t>(16 - kOffsetHours), 5, 7, 42}));
                break;
            default:
                EXPECT_EQ(line.time, kSent);
        }
    }
}
