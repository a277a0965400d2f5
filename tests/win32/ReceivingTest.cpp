// Receiving end to end with the real chat window: files dropped into the chat
// folder appear in the RichEdit pane in order and form, are hidden or deleted
// per the settings, and the log is written as RTF.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/MessageDisplay.h"
#include "app/chatwindow/win32/RichEditPane.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/exchange/ChatFolderListing.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageLedger.h"
#include "app/exchange/win32/CFSWatcher2.h"
#include "app/settings/modSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using namespace exchange;
using chatwindow::frmMain;
using outside::DateTimeRecord;

namespace {

const std::string kOther = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";

class ReceivingTest : public wintest::ChatWindowFixture {
protected:
    ReceivingTest() : ChatWindowFixture("Беседа.ZPMFChat") {}
    void Open(const std::function<void()>& settings = {}) { ChatWindowFixture::Open(false, settings); }

    std::string DropBinary(const std::string& stamp, const std::string& user, const std::string& text,
                           const std::string& guid = kOther) {
        const std::string path = chat / (stamp + " {B}.ZPMF");
        WriteBinaryMessage(path, BuildBinaryRecord({2024, 1, 0, 31, 13, 5, 7, 42}, user, text, guid));
        return path;
    }

};

}  // namespace

TEST_F(ReceivingTest, MessagesAppearInSendingOrderAndFormThenFilesAreHidden) {
    const std::string b = DropBinary("2024-01-31 13-05-07-042", "Гость", "второе");
    const std::string x = chat / "2024-01-31 13-05-07-041 {X}.ZXMF";
    std::string step;
    WriteXmlMessage(x, {2024, 1, 0, 31, 13, 5, 7, 41}, "Я", modSettings::ClientGuid, "первое", step);
    const std::string t = chat / "zz-note.ZTMF";
    testsupport::WriteRaw(t, "третье из блокнота");
    Open([] { modSettings::iChatStylePlugin = false; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("третье"); })) << Pane();

    const std::string pane = Pane();
    const size_t first = pane.find("первое"), second = pane.find("второе"), third = pane.find("третье");
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(pane.find(" \r"), pane.find("первое") + std::string("первое").size() + 1) << "a spacer between messages";

    // Own message: title in My colours, 8 pt bold; body 9 pt, not bold.
    const size_t myTitle = pane.find("Я  (");
    ASSERT_NE(myTitle, std::string::npos) << pane;
    const std::u16string u = outside::Utf8ToUtf16(pane);
    const auto at = [&](const std::string& piece) {
        return static_cast<int>(u.find(outside::Utf8ToUtf16(piece)));
    };
    wintest::CharFormat title = wintest::FormatAt(form->LogPane(), at("Я  ("));
    EXPECT_EQ(title.size, 8);
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.colour, static_cast<COLORREF>(modSettings::MyMessageTitleColor));
    wintest::CharFormat body = wintest::FormatAt(form->LogPane(), at("первое"));
    EXPECT_EQ(body.size, 9);
    EXPECT_FALSE(body.bold);
    EXPECT_EQ(wintest::FormatAt(form->LogPane(), at("Гость")).colour,
              static_cast<COLORREF>(modSettings::OtherMessageTitleColor));
    EXPECT_NE(pane.find("Текстовый Анонимус  ("), std::string::npos);

    for (const std::string& path : {b, x, t}) {
        EXPECT_TRUE(outside::esIsFileExist(path)) << path;
        EXPECT_TRUE(outside::IsFileHidden(path)) << path;
    }
}

TEST_F(ReceivingTest, DeleteModeRemovesReadFilesAndHidesBrokenOnes) {
    const std::string good = DropBinary("2024-01-01 00-00-00-000", "u", "удалить меня");
    const std::string broken = chat / "2024-01-01 00-00-00-001 {X}.ZPMF";
    testsupport::WriteRaw(broken, "не запись");
    FILETIME old{0x10000000, 0x01D00000};  // long ago: broken, not "still arriving"
    {
        outside::UniqueHandle h(::CreateFileW(outside::W(broken).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ::SetFileTime(h.get(), nullptr, nullptr, &old);
    }
    Open([] {
        modSettings::DeleteMessageFiles = true;
        modSettings::HideBrokenMessageFiles = true;
    });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("Не удалось обработать полученное сообщение."); })) << Pane();
    EXPECT_TRUE(PaneHas("удалить меня"));
    EXPECT_FALSE(outside::esIsFileExist(good));
    EXPECT_TRUE(outside::IsFileHidden(broken));
}

TEST_F(ReceivingTest, SyncingAndLockedFilesWaitAndHiddenFilesAreNeverRead) {
    const std::string syncing = DropBinary("2024-01-01 00-00-00-001", "u", "после синхронизации");
    testsupport::WriteRaw(syncing + ".!sync", "");
    const std::string locked = DropBinary("2024-01-01 00-00-00-002", "u", "после блокировки");
    const std::string hidden = DropBinary("2024-01-01 00-00-00-003", "u", "скрытое");
    ASSERT_TRUE(outside::HideFile(hidden));
    outside::UniqueHandle lock(
        ::CreateFileW(outside::W(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.valid());
    const std::string marker = DropBinary("2024-01-01 00-00-00-004", "u", "метка");
    Open([] { modSettings::ShowDebugMessages = true; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("метка"); })) << Pane();
    EXPECT_TRUE(PaneHas("Файл ещё синхронизируется. Пока пропускаем."));
    EXPECT_TRUE(PaneHas("DispatchMessage_Binary() ==> Не удалось прочитать файл. Пока пропускаем."));
    EXPECT_FALSE(PaneHas("после синхронизации"));
    EXPECT_FALSE(PaneHas("после блокировки"));

    outside::RemoveFile(syncing + ".!sync");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("после синхронизации"); }, 5000)) << Pane();
    // The passes that hiding that file caused are over (the locked file waited
    // in them too). The lock going is no change in the folder: only the retry
    // about a second later brings the file in, well before the quiet pass.
    wintest::PumpFor(800);
    lock.reset();
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("после блокировки"); }, 2500)) << Pane();
    wintest::PumpFor(600);
    EXPECT_FALSE(PaneHas("скрытое"));
    EXPECT_TRUE(outside::esIsFileExist(hidden));
}

TEST_F(ReceivingTest, FailedDeleteFallsBackToHiding) {
    const std::string path = DropBinary("2024-01-01 00-00-00-000", "u", "нельзя удалить");
    // Open without delete sharing: DeleteFile fails while this handle lives.
    outside::UniqueHandle holder(::CreateFileW(outside::W(path).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    Open([] {
        modSettings::DeleteMessageFiles = true;
        modSettings::ShowDebugMessages = true;
    });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("Он был скрыт."); })) << Pane();
    EXPECT_TRUE(PaneHas("Файл успешно обработан, но его удалить не удалось. Он был скрыт."));
    EXPECT_TRUE(outside::IsFileHidden(path));
}

TEST_F(ReceivingTest, ElevenFilesShowProgressInTheCaption) {
    for (int i = 0; i < 11; ++i) DropBinary("2024-01-01 00-00-00-" + std::to_string(100 + i), "u", std::to_string(i));
    Open();
    wintest::CaptionRecorder captions(hwnd);
    const std::string plain = "Беседа.ZPMFChat \u2013 Quillet";
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("10") && !captions.Captions().empty() &&
                                                captions.Captions().back() == plain; }))
        << (captions.Captions().empty() ? std::string("none") : captions.Captions().back()) << " / "
        << captions.Captions().size() << " / " << Pane();
    // The first file's progress at once, later ones a few times a second, the plain title at the end.
    const auto& shown = captions.Captions();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front(), plain + " :: Сообщение 1 из 11");
    int last = 0;
    for (size_t i = 0; i + 1 < shown.size(); ++i) {
        const std::string prefix = plain + " :: Сообщение ";
        ASSERT_EQ(shown[i].rfind(prefix, 0), 0u) << shown[i];
        const int n = std::stoi(shown[i].substr(prefix.size()));
        EXPECT_GT(n, last);
        EXPECT_EQ(shown[i].substr(shown[i].size() - std::string(" из 11").size()), " из 11");
        last = n;
    }
}

TEST_F(ReceivingTest, LogIsWrittenAsRtfWithThePaneText) {
    DropBinary("2024-01-01 00-00-00-000", "Вова", "в лог");
    DropBinary("2024-01-01 00-00-00-001", "Я", "и своё", modSettings::ClientGuid);
    Open([] { modSettings::iChatStylePlugin = true; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("и своё"); }));
    form->ShowSystemMessage("после прохода: сохранено сразу");
    const std::vector<std::string> logs = wintest::LogFiles();
    ASSERT_EQ(logs.size(), 1u);
    const std::string name = outside::esGetFileName(logs[0]);
    EXPECT_EQ(name.size(), std::string("2024-01-01 00-00-00.RTF").size()) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".RTF");
    EXPECT_EQ(outside::ReadFileBytes(logs[0], 1 << 20).substr(0, 5), "{\\rtf");
    // Read back by a RichEdit, the log is a whole-pane save: every character in its format.
    const std::string whole = chat / "whole-pane.rtf";
    outside::WriteFileAtomically(whole, modRTFSupport::StreamOutRtf(form->LogPane()));
    const std::string wholeText = wintest::RtfFileText(whole);
    EXPECT_EQ(wintest::RtfFileText(logs[0]), wholeText)
        << outside::ReadFileBytes(logs[0], 1 << 20).substr(outside::ReadFileBytes(logs[0], 1 << 20).size() - 60) << "\n---\n"
        << outside::ReadFileBytes(whole, 1 << 20).substr(outside::ReadFileBytes(whole, 1 << 20).size() - 60);
    EXPECT_NE(wholeText.find("после прохода: сохранено сразу"), std::string::npos);
    HWND loaded = wintest::LoadRtfFile(logs[0]);
    HWND reference = wintest::LoadRtfFile(whole);
    const int length = static_cast<int>(outside::Utf8ToUtf16(wholeText).size());
    for (int i = 0; i < length; ++i) {
        const wintest::CharFormat want = wintest::FormatAt(reference, i), got = wintest::FormatAt(loaded, i);
        ASSERT_EQ(std::tie(got.size, got.bold, got.colour, got.alignment),
                  std::tie(want.size, want.bold, want.colour, want.alignment))
            << "character " << i;
    }
    ::DestroyWindow(loaded);
    ::DestroyWindow(reference);
}

TEST_F(ReceivingTest, OverflowSavesAndClearsThePaneEveryThreeHundredFiles) {
    for (int i = 0; i < 601; ++i) DropBinary("2024-01-01 00-00-" + std::to_string(1000 + i), "u", "№" + std::to_string(i));
    Open([] { modSettings::ClearScrollbackOnOverflow = true; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("№600"); }, 300000));
    const std::string pane = Pane();
    EXPECT_FALSE(PaneHas("№599")) << "cleared before the 601st file";
    EXPECT_TRUE(PaneHas("Получено 300 входящих сообщений. Сообщения очищены, но сохранились в истории."));
    EXPECT_EQ(wintest::LogFiles().size(), 3u) << "two full generations and the current one";
}

namespace {

// The display's own description of appending, run by run: the format at the
// insertion point, then the text. What the pane's RTF insertions must equal.
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

// Real RichEdit panes, made as the chat window makes its own, side by side.
class PaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        modSettings::ResetToDefaults();
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 500, 300, nullptr, nullptr,
                                    nullptr, nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(parent_);
        modSettings::ResetToDefaults();
    }
    HWND NewPane() {
        HWND pane = modRTFSupport::CreateRichEditPane(parent_, 1);
        ::MoveWindow(pane, 0, 0, 480, 200, TRUE);
        return pane;
    }
    HWND parent_ = nullptr;
};

// Every character of two panes, with its format.
void ExpectSamePanes(HWND want, HWND got, const char* how) {
    SCOPED_TRACE(how);
    const std::string text = modRTFSupport::PlainText(want);
    ASSERT_NE(text, "");
    ASSERT_EQ(modRTFSupport::PlainText(got), text);
    const auto face = [](HWND pane, int i) {
        ::SendMessageW(pane, EM_SETSEL, i, i + 1);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return std::wstring(cf.szFaceName);
    };
    const int length = static_cast<int>(outside::Utf8ToUtf16(text).size());
    for (int i = 0; i < length; ++i) {
        const wintest::CharFormat w = wintest::FormatAt(want, i), g = wintest::FormatAt(got, i);
        ASSERT_EQ(std::tie(g.size, g.bold, g.colour, g.alignment), std::tie(w.size, w.bold, w.colour, w.alignment))
            << "character " << i << " of " << length;
        ASSERT_EQ(face(got, i), face(want, i)) << "character " << i;
    }
}

}  // namespace

// One message at a time or a redraw batch at once, the pane ends as the
// display describes it run by run: the same characters in the same font,
// size, weight, colour and alignment, across every layout, kind, time mark,
// file-name line, a clear and the junction of two batches.
TEST_F(PaneTest, ABatchInsertedPaneEqualsAMessageByMessageOneCharacterByCharacter) {
    using chatwindow::RichEditPane;
    HWND runByRunHandle = NewPane(), oneByOneHandle = NewPane(), batchedHandle = NewPane();
    RunByRunPane runByRun(runByRunHandle);
    RichEditPane oneByOne(oneByOneHandle), batched(batchedHandle);
    DateTimeRecord now{2024, 1, 0, 31, 16, 0, 30, 0};
    const auto display = [&](chatwindow::IConversationPane& pane) {
        return std::make_unique<chatwindow::MessageDisplay>(
            pane, chatwindow::DisplayHooks{{}, {}, {}, [&] { return now; }});
    };
    auto a = display(runByRun), b = display(oneByOne), c = display(batched);
    const DateTimeRecord t{2024, 1, 0, 31, 13, 5, 7, 42};
    // What happens to every pane in turn; for the batched one, where a batch
    // begins, is drawn half way, and ends.
    enum Batch { kNone, kBegin, kRedraw, kEnd };
    struct Step {
        Batch batch;
        std::function<void(chatwindow::MessageDisplay&, chatwindow::IConversationPane&)> act;
    } steps[] = {
        {kBegin, [&](auto& d, auto&) { d.DisplayMessage("Вова", "Привет {всем} \\ \tи 😀", t, MessageKind::Other, ""); }},
        {kNone, [&](auto& d, auto&) { d.DisplayMessage(" ", "строка 1\r\nстрока 2\nстрока 3", t, MessageKind::Mine, ""); }},
        {kNone, [&](auto& d, auto&) { d.DisplayMessage("Torvane - Quillet", "Сообщения очищены", t, MessageKind::System, ""); }},
        {kRedraw, [&](auto& d, auto&) { d.DisplayMessage("Torvane - Quillet", "отладка", t, MessageKind::Debug, ""); }},
        {kNone, [&](auto& d, auto&) { d.DisplayMessage("x", "неизвестный вид", t, static_cast<MessageKind>(7), ""); }},
        {kRedraw, [&](auto& d, auto&) {
             now.minute = 6;  // a centred grey time mark
             modSettings::NameOnSeparateLine = false;
             modSettings::NewStyleTimestamp = true;
             d.DisplayMessage("Гость", "после отметки", t, MessageKind::Other, "");
         }},
        {kNone, [&](auto& d, auto&) { d.DisplayMessage("Гость", "до очистки", t, MessageKind::Other, ""); }},
        {kNone, [&](auto&, auto& pane) { pane.Clear(); }},
        {kNone, [&](auto& d, auto&) {
             modSettings::ShowMessageFileNames = true;
             d.DisplayMessage("Гость", "с именем файла", t, MessageKind::Other, "2024-01-31 13-05-07-042 {X}.ZPMF");
         }},
        {kEnd, [&](auto& d, auto&) { d.DisplayMessage("Гость", "конец пачки", t, MessageKind::Mine, ""); }},
        {kBegin, [&](auto& d, auto&) {
             now.minute = 12;
             modSettings::NameOnSeparateLine = true;
             d.DisplayMessage("Вова", "вторая пачка", t, MessageKind::Other, "");
         }},
        {kEnd, [&](auto& d, auto&) { d.DisplayMessage("Torvane - Quillet", "последняя", t, MessageKind::System, ""); }},
    };
    int compared = 0;
    for (const Step& step : steps) {
        const bool saved[] = {modSettings::NameOnSeparateLine, modSettings::NewStyleTimestamp,
                              modSettings::ShowMessageFileNames};
        const DateTimeRecord then = now;
        // Each pane meets the step with the same settings and clock.
        const auto restore = [&] {
            modSettings::NameOnSeparateLine = saved[0];
            modSettings::NewStyleTimestamp = saved[1];
            modSettings::ShowMessageFileNames = saved[2];
            now = then;
        };
        step.act(*a, runByRun);
        restore();
        step.act(*b, oneByOne);
        restore();
        if (step.batch == kBegin) batched.BeginBatch();
        step.act(*c, batched);
        if (step.batch == kRedraw) batched.Flush();
        if (step.batch == kEnd) batched.EndBatch();
        EXPECT_EQ(batched.InBatch(), step.batch != kEnd);
        if (step.batch == kRedraw || step.batch == kEnd) {
            ExpectSamePanes(runByRunHandle, oneByOneHandle, "one insertion per message");
            ExpectSamePanes(runByRunHandle, batchedHandle, "one insertion per batch");
            ++compared;
        }
    }
    EXPECT_EQ(compared, 4);
    EXPECT_EQ(modRTFSupport::PlainText(batchedHandle).find("до очистки"), std::string::npos);
}

TEST_F(ReceivingTest, ALockedLedgerIsToldOnceKeptAndJoinedOnceFree) {
    const DateTimeRecord sent{2024, 1, 0, 31, 13, 5, 7, 42};
    const std::string earlier = MessageLedger::Identity(kOther, sent, "показано в прошлый раз");
    outside::UniqueHandle lock;
    std::string ledger;
    Open([&] {
        // History from an earlier run, held by another program (a backup, a scanner) as the chat opens.
        ledger = outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName);
        MessageLedger history(ledger);
        history.Remember(earlier, "old");
        history.Settle("old");
        ASSERT_TRUE(history.Flush());
        lock.reset(::CreateFileW(outside::W(ledger).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    });
    ASSERT_TRUE(lock.valid());
    DropBinary("2024-01-31 13-05-07-042", "Гость", "пока заперто");
    const std::string notice = "Не удалось прочитать список показанных сообщений.";
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("пока заперто") && PaneHas(notice); })) << Pane();
    lock.reset();
    DropBinary("2024-01-31 13-05-07-043", "Гость", "уже свободно");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("уже свободно"); }, 8000)) << Pane();
    wintest::PumpFor(500);
    const std::string pane = Pane();
    EXPECT_EQ(pane.find(notice, pane.find(notice) + 1), std::string::npos) << "told once";
    MessageLedger onDisk(ledger);
    EXPECT_TRUE(onDisk.Seen(earlier)) << "the history was kept";
    EXPECT_TRUE(onDisk.Seen(MessageLedger::Identity(kOther, sent, "пока заперто")));
}

TEST(ChatFolderTest, NetworkFoldersAreKnownByTheirPathOrDrive) {
    testsupport::TempDir local;
    const std::pair<std::string, bool> cases[] = {
        {"\\\\server\\share\\Чат", true},
        {"//server/share/chat", true},
        {"\\\\?\\UNC\\server\\share", true},
        {"\\\\?\\C:\\Users", false},
        {"C:\\windows", false},
        {local.path(), false},
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

    CFSWatcher simple;
    EXPECT_FALSE(simple.IsSomethingChanged(diagnostic)) << "no handle: nothing, quietly";
    EXPECT_EQ(diagnostic, "");
    EXPECT_TRUE(simple.StartWatch(dir.path()));
    testsupport::WriteRaw(dir / "second.ZPMF", "x");
    EXPECT_TRUE(wintest::PumpUntil([&] { return simple.IsSomethingChanged(diagnostic); }, 3000));
}
