// Receiving through the real chat window; a misbehaving world loses no message and shows none twice.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>
#include <utility>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/MessageDisplay.h"
#include "app/chatwindow/win32/RichEditPane.h"
#include "app/exchange/ChatFolderListing.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageLedger.h"
#include "app/exchange/win32/CFSWatcher2.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/Utf.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

using namespace exchange;
using outside::DateTimeRecord;

namespace {

const std::string kOther = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
constexpr int kLongAgo = 3600;  // seconds: a broken file this old is broken, not still arriving

// Every character of two RichEdits alike: text, size, weight, colour, alignment and face.
void ExpectSameFormats(HWND want, HWND got) {
    const std::string text = modRTFSupport::PlainText(want);
    ASSERT_NE(text, "");
    ASSERT_EQ(modRTFSupport::PlainText(got), text);
    const auto format = [](HWND pane, int i) {
        const wintest::CharFormat f = wintest::FormatAt(pane, i);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return std::make_tuple(f.size, f.bold, f.colour, f.alignment, std::wstring(cf.szFaceName));
    };
    const int length = static_cast<int>(outside::Utf8ToUtf16(text).size());
    for (int i = 0; i < length; ++i) ASSERT_EQ(format(got, i), format(want, i)) << "character " << i << " of " << length;
}

const DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};

class ReceivingTest : public wintest::ChatWindowFixture {
protected:
    ReceivingTest() : ChatWindowFixture("Беседа.ZPMFChat") {}
    void Open(const std::function<void()>& settings = {}) { ChatWindowFixture::Open(false, settings); }

    // Another's binary message file in the chat folder; a name without extension gets " {B}.ZPMF".
    std::string Drop(const std::string& name, const std::string& text, const DateTimeRecord& sent = kSent) {
        const std::string file = name.find('.') == std::string::npos ? name + " {B}.ZPMF" : name;
        const std::string path = outside::esBuildFileName2(Chat().ChatFolder, file);
        WriteBinaryMessage(path, BuildBinaryRecord(sent, "Гость", text, kOther));
        return path;
    }
    int Count(const std::string& text) const {
        const std::string pane = Pane();
        int n = 0;
        for (size_t at = pane.find(text); at != std::string::npos; at = pane.find(text, at + 1)) ++n;
        return n;
    }
    bool Wait(const std::string& text, int timeoutMs = 10000) {
        return wintest::PumpUntil([&] { return PaneHas(text); }, timeoutMs);
    }
};
class FaultCorpusTest : public ReceivingTest {};
// A message name in sending order.
std::string N(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "2024-01-01 00-00-00-%03d", n);
    return name;
}

// The display's own description of appending, run by run: what the pane's RTF insertions must equal.
class RunByRunPane final : public chatwindow::IConversationPane {
public:
    explicit RunByRunPane(HWND pane) : pane_(pane) {}
    bool IsEmpty() const override { return ::GetWindowTextLengthW(pane_) == 0; }
    void BeginAppend() override {}
    void EndAppend() override {}
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override {
        modRTFSupport::AppendText(pane_, text, size, bold, colour, alignment);
    }
    void Clear() override { ::SetWindowTextW(pane_, L""); }
    std::vector<chatwindow::TextRun> TakeUnloggedRuns() override { return {}; }

private:
    HWND pane_;
};

std::string victim;
HWND victimPane = nullptr;
// Removes the victim once the pass has shown its first file: between the listing and its turn.
void CALLBACK RemoveVictim(HWND, UINT, UINT_PTR, DWORD) {
    if (victim.empty() || !victimPane || modRTFSupport::PlainText(victimPane).find("№0.") == std::string::npos) return;
    if (outside::RemoveFile(victim)) victim.clear();
}

}  // namespace

TEST_F(ReceivingTest, MessagesAppearInSendingOrderAndFormFilesAreHiddenAndTheLogIsThePaneInRtf) {
    const std::string b = Drop("2024-01-31 13-05-07-042", "второе");
    const std::string x = chat / "2024-01-31 13-05-07-041 {X}.ZXMF";
    std::string step;
    WriteXmlMessage(x, {2024, 1, 0, 31, 13, 5, 7, 41}, "Я", modSettings::ClientGuid, "первое", step);
    const std::string t = chat / "zz-note.ZTMF";
    testsupport::WriteRaw(t, "третье из блокнота");
    Open([] { modSettings::iChatStylePlugin = false; });
    ASSERT_TRUE(Wait("третье")) << Pane();

    const std::string pane = Pane();
    EXPECT_LT(pane.find("первое"), pane.find("второе"));
    EXPECT_LT(pane.find("второе"), pane.find("третье"));
    EXPECT_NE(pane.find("Текстовый Анонимус  ("), std::string::npos);
    for (const std::string& path : {b, x, t}) EXPECT_TRUE(outside::IsFileHidden(path)) << path;

    form->ShowSystemMessage("после прохода: сохранено сразу");
    const std::vector<std::string> logs = wintest::LogFiles();
    ASSERT_EQ(logs.size(), 1u);
    const std::string name = outside::esGetFileName(logs[0]);
    EXPECT_EQ(name.size(), std::string("2024-01-01 00-00-00.RTF").size()) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".RTF");
    EXPECT_EQ(testsupport::ReadRaw(logs[0]).substr(0, 5), "{\\rtf");
    // Read back by a RichEdit, the log is a whole-pane save: every character in its format.
    const std::string whole = chat / "whole-pane.rtf";
    testsupport::WriteRaw(whole, modRTFSupport::StreamOutRtf(form->LogPane()));
    EXPECT_NE(wintest::RtfFileText(whole).find("после прохода: сохранено сразу"), std::string::npos);
    HWND loaded = wintest::LoadRtfFile(logs[0]), reference = wintest::LoadRtfFile(whole);
    ExpectSameFormats(reference, loaded);
    ::DestroyWindow(loaded);
    ::DestroyWindow(reference);
}

TEST_F(ReceivingTest, DeleteModeRemovesReadFilesAndHidesBrokenOnesAndThoseThatWillNotGo) {
    const std::string good = Drop(N(0), "удалить меня");
    const std::string broken = chat / "2024-01-01 00-00-00-001 {X}.ZPMF";
    testsupport::WriteAged(broken, "не запись", kLongAgo);
    const std::string held = Drop(N(2), "нельзя удалить");
    // Open without delete sharing: DeleteFile fails while this handle lives.
    outside::UniqueHandle holder(::CreateFileW(outside::W(held).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    Open([] {
        modSettings::DeleteMessageFiles = true;
        modSettings::HideBrokenMessageFiles = true;
        modSettings::ShowDebugMessages = true;
    });
    const std::string notDeleted = "Файл успешно обработан, но его удалить не удалось. Он был скрыт.";
    ASSERT_TRUE(Wait(notDeleted)) << Pane();
    EXPECT_TRUE(PaneHas("Не удалось обработать полученное сообщение."));
    EXPECT_TRUE(PaneHas("удалить меня"));
    EXPECT_FALSE(outside::esIsFileExist(good));
    EXPECT_TRUE(outside::IsFileHidden(broken));
    EXPECT_TRUE(outside::IsFileHidden(held));
    // Said after the pass's last save before removal, and saved at its end all the same.
    EXPECT_TRUE(wintest::PumpUntil([&] {
        const std::vector<std::string> logs = wintest::LogFiles();
        return logs.size() == 1 && wintest::RtfFileText(logs[0]).find(notDeleted) != std::string::npos;
    }, 3000)) << "the log holds the pass's last lines";
}

// Held open without sharing, as a sync client writing it (a marker or a hidden file: DispatchTest).
TEST_F(ReceivingTest, ALockedFileWaitsForTheRetryAndIsShownOnce) {
    const std::string locked = Drop(N(2), "после блокировки");
    outside::UniqueHandle lock(
        ::CreateFileW(outside::W(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.valid());
    Drop(N(4), "метка");
    Open([] { modSettings::ShowDebugMessages = true; });
    ASSERT_TRUE(Wait("метка")) << Pane();
    EXPECT_TRUE(PaneHas("DispatchMessage_Binary() ==> Не удалось прочитать файл. Пока пропускаем."));
    EXPECT_FALSE(PaneHas("после блокировки"));
    // A lock going is no change in the folder: only the retry about a second later brings the file in.
    wintest::PumpFor(800);
    lock.reset();
    ASSERT_TRUE(Wait("после блокировки", 2500)) << Pane();
    wintest::PumpFor(1500);
    EXPECT_EQ(Count("после блокировки"), 1) << "a released file is shown once";
    EXPECT_TRUE(outside::IsFileHidden(locked));
}

TEST_F(ReceivingTest, ElevenFilesShowProgressInTheCaption) {
    for (int i = 0; i < 11; ++i) Drop(N(100 + i), std::to_string(i));
    Open();
    wintest::CaptionRecorder captions(hwnd);
    const auto& shown = captions.Captions();
    const std::string plain = "Беседа.ZPMFChat \u2013 Quillet", progress = plain + " :: Сообщение ";
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("10") && !shown.empty() && shown.back() == plain; }))
        << shown.size() << " captions / " << Pane();
    // The first file's progress reaches the title at once, the plain title at the end (every step: DispatchTest).
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front(), progress + "1 из 11");
}

TEST_F(ReceivingTest, OverflowSavesAndClearsThePaneEveryThreeHundredFiles) {
    for (int i = 0; i < 601; ++i) Drop(N(i), "№" + std::to_string(i));
    Open([] { modSettings::ClearScrollbackOnOverflow = true; });
    ASSERT_TRUE(Wait("№600", 300000));
    EXPECT_FALSE(PaneHas("№599")) << "cleared before the 601st file";
    EXPECT_TRUE(PaneHas("Получено 300 входящих сообщений. Сообщения очищены, но сохранились в истории."));
    EXPECT_EQ(wintest::LogFiles().size(), 3u) << "two full generations and the current one";
}

// A ledger held by another program (a backup, a scanner), and the chat folder taken away (a sync client
// re-creating it, a network drive) and brought back: each said once, nothing lost, receiving resumes.
TEST_F(FaultCorpusTest, ALockedLedgerAndAChatFolderTakenAwayAreToldOnceAndReceivingResumes) {
    const std::string earlier = MessageLedger::Identity(kOther, kSent, "показано в прошлый раз");
    outside::UniqueHandle lock;
    std::string ledger;
    Open([&] {
        ledger = outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName);
        MessageLedger history(ledger);
        history.Remember(earlier, "old");
        history.Settle("old");
        ASSERT_TRUE(history.Flush());
        lock.reset(::CreateFileW(outside::W(ledger).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    });
    ASSERT_TRUE(lock.valid());
    Drop("2024-01-31 13-05-07-042", "пока заперто");
    const std::string notice = "Не удалось прочитать список показанных сообщений.";
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("пока заперто") && PaneHas(notice); })) << Pane();
    Drop("2024-01-31 13-05-07-044", "ещё заперто");  // a second pass while it is held
    ASSERT_TRUE(Wait("ещё заперто")) << Pane();
    lock.reset();
    Drop("2024-01-31 13-05-07-045", "уже свободно");
    ASSERT_TRUE(Wait("уже свободно", 8000)) << Pane();

    const std::filesystem::path folder = std::filesystem::u8path(Chat().ChatFolder);
    const std::filesystem::path away = std::filesystem::u8path(Chat().ChatFolder + ".away");
    std::filesystem::rename(folder, away);
    ASSERT_TRUE(Wait("Папка чата недоступна.", 15000)) << Pane();
    wintest::PumpFor(2500);  // ticks while it stays away
    std::filesystem::rename(away, folder);
    Drop(N(0), "вернулась");
    ASSERT_TRUE(Wait("вернулась", 15000)) << Pane();
    EXPECT_EQ(Count("Папка чата недоступна."), 1);
    EXPECT_EQ(Count("Папка чата снова доступна."), 1);
    EXPECT_EQ(Count(notice), 1) << "told once";
    MessageLedger onDisk(ledger);
    EXPECT_TRUE(onDisk.Seen(earlier)) << "the history was kept";
    EXPECT_TRUE(onDisk.Seen(MessageLedger::Identity(kOther, kSent, "пока заперто")));
}

// Message by message or batched, the pane ends as the display describes it run by run: every layout, kind,
// time mark, file-name line, a clear and the junction of two batches.
TEST(PaneTest, ABatchInsertedPaneEqualsAMessageByMessageOneCharacterByCharacter) {
    using chatwindow::MessageDisplay;
    modSettings::ResetToDefaults();
    // Real RichEdit panes, made as the chat window makes its own, side by side.
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 500, 300, nullptr, nullptr,
                                    nullptr, nullptr);
    HWND handles[3];
    for (HWND& pane : handles) {
        pane = modRTFSupport::CreateRichEditPane(parent, 1);
        ::MoveWindow(pane, 0, 0, 480, 200, TRUE);
    }
    RunByRunPane runByRun(handles[0]);
    chatwindow::RichEditPane oneByOne(handles[1]), batched(handles[2]);
    DateTimeRecord now{2024, 1, 0, 31, 16, 0, 30, 0};
    const chatwindow::DisplayHooks hooks{{}, {}, {}, [&] { return now; }};
    MessageDisplay a(runByRun, hooks), b(oneByOne, hooks), c(batched, hooks);
    const std::pair<MessageDisplay*, chatwindow::IConversationPane*> panes[] = {
        {&a, &runByRun}, {&b, &oneByOne}, {&c, &batched}};
    // Where the batched pane's batch begins, is drawn half way, and ends.
    enum Batch { kNone, kBegin, kRedraw, kEnd };
    // One row per format the pane must carry over (which runs each kind makes: DisplayTest).
    const struct Step {
        Batch batch;
        const char *user, *text;
        MessageKind kind;
        std::function<void()> before = {};
        const char* file = "";
    } steps[] = {
        {kBegin, "Вова", "Привет {всем} \\ \tи 😀", MessageKind::Other},
        {kRedraw, " ", "строка 1\r\nстрока 2\nстрока 3", MessageKind::Mine},
        {kRedraw, "Гость", "до очистки", MessageKind::Other, [&] {
             now.minute = 6;  // a centred grey time mark
             modSettings::NameOnSeparateLine = false;
             modSettings::NewStyleTimestamp = true;
         }},
        {kNone, nullptr, nullptr, MessageKind::Other},  // a clear
        {kNone, "Гость", "с именем файла", MessageKind::Other, [] { modSettings::ShowMessageFileNames = true; },
         "2024-01-31 13-05-07-042 {X}.ZPMF"},
        {kEnd, "Torvane - Quillet", "конец пачки", MessageKind::System},
        {kBegin, "Вова", "вторая пачка", MessageKind::Other, [&] {
             now.minute = 12;
             modSettings::NameOnSeparateLine = true;
         }},
        {kEnd, "Гость", "последняя", MessageKind::Mine},
    };
    const DateTimeRecord t{2024, 1, 0, 31, 13, 5, 7, 42};
    int compared = 0;
    for (const Step& step : steps) {
        if (step.before) step.before();
        if (step.batch == kBegin) batched.BeginBatch();
        for (const auto& [display, pane] : panes) {
            if (step.text)
                display->DisplayMessage(step.user, step.text, t, step.kind, step.file);
            else
                pane->Clear();
        }
        if (step.batch == kRedraw) batched.Flush();
        if (step.batch == kEnd) batched.EndBatch();
        EXPECT_EQ(batched.InBatch(), step.batch != kEnd);
        if (step.batch == kRedraw || step.batch == kEnd) {
            SCOPED_TRACE(step.text);
            ExpectSameFormats(handles[0], handles[1]);
            ExpectSameFormats(handles[0], handles[2]);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 4);
    EXPECT_EQ(modRTFSupport::PlainText(handles[2]).find("до очистки"), std::string::npos);
    ::DestroyWindow(parent);
    modSettings::ResetToDefaults();
}

TEST(ChatFolderTest, NetworkFoldersAreKnownByTheirPathOrDrive) {
    testsupport::TempDir local;
    const std::pair<std::string, bool> cases[] = {
        {"\\\\server\\share\\Чат", true}, {"//server/share/chat", true}, {"\\\\?\\UNC\\server\\share", true},
        {"\\\\?\\C:\\Users", false},      {"C:\\windows", false},        {local.path(), false},
    };
    for (const auto& [folder, network] : cases) EXPECT_EQ(IsNetworkFolder(folder), network) << folder;
}

TEST(CFSWatcher2Test, ReportsChangesAndRenewsAfterMoreThanAHundredIdlePolls) {
    testsupport::TempDir dir;
    CFSWatcher2 watcher;
    std::string diagnostic;
    EXPECT_FALSE(watcher.IsSomethingChanged(diagnostic));
    EXPECT_EQ(diagnostic, "Path not defined");
    EXPECT_TRUE(watcher.StartWatch(dir.path()));
    for (int i = 0; i < 101; ++i) EXPECT_FALSE(watcher.IsSomethingChanged(diagnostic));
    EXPECT_EQ(diagnostic, "");
    EXPECT_EQ(watcher.NotificationsRequested(), 1);
    EXPECT_FALSE(watcher.IsSomethingChanged(diagnostic));
    EXPECT_EQ(watcher.NotificationsRequested(), 2) << "the 102nd poll renews the notification";
    testsupport::WriteRaw(dir / "new.ZPMF", "x");
    EXPECT_TRUE(wintest::PumpUntil([&] { return watcher.IsSomethingChanged(diagnostic); }, 3000));
    EXPECT_EQ(watcher.IdlePolls(), 0);

    CFSWatcher2 missing;
    missing.StartWatch(dir / "no such folder");
    EXPECT_FALSE(missing.IsSomethingChanged(diagnostic));
    EXPECT_EQ(diagnostic, "FindFirstChangeNotification() failed");
}

// A file listed by the pass is gone when its turn comes: the others are all shown once, none called broken.
TEST_F(FaultCorpusTest, AFileThatVanishesMidPassCostsNothingElse) {
    for (int i = 0; i < 30; ++i) {
        const std::string path = Drop(N(i), "№" + std::to_string(i) + ".");
        if (i == 25) victim = path;
    }
    Open();
    victimPane = form->LogPane();
    // Runs inside the pass (it lets the message loop run between files).
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, RemoveVictim);
    ASSERT_TRUE(Wait("№29.")) << Pane();
    ::KillTimer(nullptr, timer);
    victimPane = nullptr;
    EXPECT_TRUE(victim.empty()) << "the file went during the pass";
    wintest::PumpFor(1500);
    for (int i = 0; i < 30; ++i) {
        const int shown = Count("№" + std::to_string(i) + ".");
        EXPECT_TRUE(i == 25 ? shown <= 1 : shown == 1) << "№" << i << " shown " << shown << " times";  // 25 went
    }
    EXPECT_FALSE(PaneHas("Не удалось обработать")) << Pane();
}

// Chat and logs folders far beyond 260 characters, in Cyrillic and emoji.
TEST_F(FaultCorpusTest, PathsBeyondTwoHundredSixtyCharactersWithCyrillicAndEmoji) {
    std::string deep = chat.path();
    for (int i = 0; i < 6; ++i)
        deep = outside::esBuildFileName2(deep, "Очень длинная папка беседы 💬 номер " + std::to_string(i));
    ASSERT_GT(outside::Utf8Length(deep), 260u);
    ASSERT_TRUE(modCreateComplexDirectory::CreateComplexDirectory(deep, true));
    UseChat(outside::esBuildFileName2(deep, "Беседа 🙂.ZPMFChat"), deep);
    outside::TheTextFile().WriteText(Chat().ChatFilePath, "", outside::TextEncoding::Utf8);
    const std::string path = Drop(N(0), "далеко 🌲");
    const std::string logs = outside::esBuildFileName2(deep, "Журналы 📜");
    Open([&] { modSettings::LogsFolder = logs; });
    ASSERT_TRUE(Wait("далеко 🌲")) << Pane();
    EXPECT_TRUE(outside::IsFileHidden(path));
    // A log generation begun before the folder was set ends with hiding; the next begins there.
    form->HideWindow();
    Drop(N(1), "и ещё дальше 🌲");
    ASSERT_TRUE(Wait("и ещё дальше 🌲")) << Pane();
    // Listed with our own calls: the C++ library's file system cannot reach this deep.
    ASSERT_TRUE(wintest::PumpUntil([&] { return !outside::ListPlainFiles(logs, "RTF").empty(); }))
        << "the log is written there";
}

// Empty and oversized files, a message from the future, copies made by sync services (each service's name:
// LedgerTest) and a hidden file back visible after a re-sync: none stops the pass or shows anything twice.
TEST_F(FaultCorpusTest, OddFilesAndCopiesBySyncServicesNeverStopThePassNorShowTwice) {
    const std::string empty = chat / "2024-01-01 00-00-00-001 {E}.ZPMF";
    const std::string huge = chat / "2024-01-01 00-00-00-002 {B}.ZXMF";
    testsupport::WriteAged(empty, "", kLongAgo);
    testsupport::WriteAged(huge, std::string(5 * 1024 * 1024, '<'), kLongAgo);
    const std::string future = Drop(N(4), "из будущего", {2099, 12, 0, 31, 23, 59, 59, 999});
    const std::string name = "2024-01-31 13-05-07-042 {5D7A}";
    const std::string original = Drop(name + ".ZPMF", "только однажды");
    Open([] { modSettings::NewStyleTimestamp = true; });
    ASSERT_TRUE(Wait("только однажды")) << Pane();
    EXPECT_EQ(Count("Не удалось обработать полученное сообщение."), 2) << Pane();
    EXPECT_TRUE(PaneHas("4 МиБ"));
    EXPECT_TRUE(PaneHas("из будущего"));
    EXPECT_TRUE(PaneHas("2100") || PaneHas("2099")) << "shown with its own date";
    std::vector<std::string> files{original, empty, huge, future};
    ASSERT_TRUE(wintest::PumpUntil([&] { return outside::IsFileHidden(original); }));
    for (const char* suffix : {" (conflicted copy 2024-02-01).ZPMF", ".sync-conflict-20240201-120000-ABCDEF7.ZPMF"})
        files.push_back(Drop(name + suffix, "только однажды"));
    ::SetFileAttributesW(outside::W(original).c_str(), FILE_ATTRIBUTE_NORMAL);  // back from a re-sync
    Drop("2024-01-31 13-05-08-000", "новое");
    ASSERT_TRUE(Wait("новое")) << Pane();
    for (const std::string& path : files)
        EXPECT_TRUE(wintest::PumpUntil([&] { return outside::IsFileHidden(path); })) << path;
    EXPECT_EQ(Count("только однажды"), 1) << Pane();
}

// The file system itself misbehaving: fault-mounts.sh (run as root by test.sh) mounts and names the cases.
class FaultMountsTest : public FaultCorpusTest {};

// Logs on a full disk: a clear notice, the chat goes on, no file is hidden whose message is in no log.
TEST_F(FaultMountsTest, LogsOnAFullDiskKeepFilesWhoseMessagesAreInNoLog) {
    const char* folder = std::getenv("QUILLET_FULL_DISK");
    if (!folder) GTEST_SKIP() << "needs fault-mounts.sh";
    const std::string path = Drop(N(0), "в лог не влезло");
    Open([&] { modSettings::LogsFolder = outside::esBuildFileName2(folder, "Журналы"); });
    ASSERT_TRUE(Wait("в лог не влезло")) << Pane();
    EXPECT_TRUE(PaneHas("Не удалось сохранить лог")) << Pane();
    wintest::PumpFor(1500);
    EXPECT_FALSE(outside::IsFileHidden(path)) << "its message is in no log";
    const std::string next = Drop(N(1), "и дальше");
    EXPECT_TRUE(Wait("и дальше")) << "the chat goes on";
    EXPECT_EQ(Count("Не удалось сохранить лог"), 1) << "said once while the disk stays full";
    EXPECT_EQ(Count("в лог не влезло"), 1) << "a waiting file is not shown again";
    // Space comes back: the next save holds both messages, and their files go.
    std::filesystem::remove(std::filesystem::u8path(outside::esBuildFileName2(folder, "filler")));
    Drop(N(2), "место есть");
    EXPECT_TRUE(wintest::PumpUntil([&] { return outside::IsFileHidden(path) && outside::IsFileHidden(next); }))
        << Pane();
}
