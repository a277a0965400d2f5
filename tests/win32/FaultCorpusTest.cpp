// A misbehaving world, through the real chat window: files held by another
// program, files that vanish mid-pass, a chat folder taken away and brought
// back, very long paths, odd files, copies made by sync services. Each
// message is shown once, nothing is lost, and the chat goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/exchange/MessageFiles.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

using namespace exchange;

namespace {

const std::string kOther = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";

std::string& Victim() {
    static std::string path;
    return path;
}
HWND& VictimPane() {
    static HWND pane = nullptr;
    return pane;
}

// Removes the victim once the pass has shown its first file, so it goes
// between the listing and its turn.
void CALLBACK RemoveVictim(HWND, UINT, UINT_PTR, DWORD) {
    if (Victim().empty() || !VictimPane()) return;
    if (modRTFSupport::PlainText(VictimPane()).find("№0.") == std::string::npos) return;
    if (outside::RemoveFile(Victim())) Victim().clear();
}

class FaultCorpusTest : public wintest::ChatWindowFixture {
protected:
    FaultCorpusTest() : ChatWindowFixture("Беседа.ZPMFChat") {}

    std::string Drop(const std::string& name, const std::string& text,
                     outside::DateTimeRecord sent = {2024, 1, 0, 31, 13, 5, 7, 42}) {
        const std::string path = outside::esBuildFileName2(Chat().ChatFolder, name);
        WriteBinaryMessage(path, BuildBinaryRecord(sent, "Гость", text, kOther));
        return path;
    }
    int Count(const std::string& text) const {
        const std::string pane = Pane();
        int n = 0;
        for (size_t at = pane.find(text); at != std::string::npos; at = pane.find(text, at + 1)) ++n;
        return n;
    }
    static void MakeOld(const std::string& path) {
        const FILETIME old{0x10000000, 0x01D00000};
        outside::UniqueHandle h(::CreateFileW(outside::W(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ::SetFileTime(h.get(), nullptr, nullptr, &old);
    }
};

// Another program holds the file with no sharing: it waits, then shows once.
TEST_F(FaultCorpusTest, AFileHeldByAnotherProgramIsShownOnceWhenReleased) {
    const std::string held = Drop("2024-01-01 00-00-00-001 {H}.ZPMF", "держали");
    const std::string holder = outside::esBuildFileName2(outside::esGetFilePath(outside::esGetModuleFileName()),
                                                         "file_holder.exe");
    std::wstring line = L"\"" + outside::W(holder) + L"\" \"" + outside::W(held) + L"\" 3000";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    outside::UniqueHandle process(info.hProcess);
    ::CloseHandle(info.hThread);
    ASSERT_TRUE(wintest::PumpUntil([&] {
        outside::UniqueHandle probe(::CreateFileW(outside::W(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        return !probe.valid();
    }));
    Open(false, [] { modSettings::ShowDebugMessages = true; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("Не удалось прочитать файл. Пока пропускаем."); })) << Pane();
    EXPECT_EQ(Count("держали"), 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("держали"); }, 15000)) << Pane();
    wintest::PumpFor(1500);
    EXPECT_EQ(Count("держали"), 1);
    EXPECT_TRUE(outside::IsFileHidden(held));
}

// A file listed by the pass is gone when its turn comes: the others are all
// shown once, and nothing is called broken.
TEST_F(FaultCorpusTest, AFileThatVanishesMidPassCostsNothingElse) {
    std::vector<std::string> files;
    for (int i = 0; i < 30; ++i)
        files.push_back(Drop("2024-01-01 00-00-00-" + std::to_string(100 + i) + " {V}.ZPMF", "№" + std::to_string(i) + "."));
    Victim() = files[25];
    Open();
    VictimPane() = form->LogPane();
    // Runs inside the pass (it lets the message loop run between files).
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, RemoveVictim);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("№29."); })) << Pane();
    ::KillTimer(nullptr, timer);
    VictimPane() = nullptr;
    EXPECT_TRUE(Victim().empty()) << "the file went during the pass";
    wintest::PumpFor(1500);
    for (int i = 0; i < 30; ++i) {
        if (i == 25) continue;
        EXPECT_EQ(Count("№" + std::to_string(i) + "."), 1) << i;
    }
    EXPECT_FALSE(PaneHas("Не удалось обработать")) << Pane();
}

// The chat folder taken away (a sync client re-creating it, a network drive)
// and brought back: said once each way, and receiving resumes.
TEST_F(FaultCorpusTest, AChatFolderTakenAwayAndBroughtBackIsSaidAndReceivingResumes) {
    Open();
    wintest::PumpFor(500);
    const std::filesystem::path folder = std::filesystem::u8path(Chat().ChatFolder);
    const std::filesystem::path away = std::filesystem::u8path(Chat().ChatFolder + ".away");
    std::filesystem::rename(folder, away);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("Папка чата недоступна."); }, 15000)) << Pane();
    std::filesystem::rename(away, folder);
    Drop("2024-01-01 00-00-00-000 {R}.ZPMF", "вернулась");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("вернулась"); }, 15000)) << Pane();
    EXPECT_EQ(Count("Папка чата недоступна."), 1);
    EXPECT_EQ(Count("Папка чата снова доступна."), 1);
}

// Chat and logs folders far beyond 260 characters, in Cyrillic and emoji.
TEST_F(FaultCorpusTest, PathsBeyondTwoHundredSixtyCharactersWithCyrillicAndEmoji) {
    std::string deep = chat.path();
    for (int i = 0; i < 6; ++i) deep = outside::esBuildFileName2(deep, "Очень длинная папка беседы 💬 номер " + std::to_string(i));
    ASSERT_GT(outside::Utf8Length(deep), 260u);
    ASSERT_TRUE(modCreateComplexDirectory::CreateComplexDirectory(deep, true));
    UseChat(outside::esBuildFileName2(deep, "Беседа 🙂.ZPMFChat"), deep);
    outside::TheTextFile().WriteText(Chat().ChatFilePath, "", outside::TextEncoding::Utf8);
    const std::string path = Drop("2024-01-01 00-00-00-000 {L}.ZPMF", "далеко 🌲");
    const std::string logs = outside::esBuildFileName2(deep, "Журналы 📜");
    Open(false, [&] { modSettings::LogsFolder = logs; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("далеко 🌲"); })) << Pane();
    EXPECT_TRUE(outside::IsFileHidden(path));
    // A log generation begun before the folder was set ends with hiding; the next begins there.
    form->HideWindow();
    Drop("2024-01-01 00-00-00-001 {L}.ZPMF", "и ещё дальше 🌲");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("и ещё дальше 🌲"); })) << Pane();
    // Listed with our own calls: the C++ library's file system cannot reach this deep.
    ASSERT_TRUE(wintest::PumpUntil([&] { return !outside::ListPlainFiles(logs, "RTF").empty(); }))
        << "the log is written there";
}

// Empty files, oversized files, a folder named like a message and a message
// from the future: none stops the pass or another message.
TEST_F(FaultCorpusTest, OddFilesNeverStopThePass) {
    const std::string empty = chat / "2024-01-01 00-00-00-001 {E}.ZPMF";
    testsupport::WriteRaw(empty, "");
    MakeOld(empty);
    const std::string huge = chat / "2024-01-01 00-00-00-002 {B}.ZXMF";
    testsupport::WriteRaw(huge, std::string(5 * 1024 * 1024, '<'));
    MakeOld(huge);
    const std::string folder = chat / "2024-01-01 00-00-00-003 {F}.ZPMF";
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    const std::string future = Drop("2024-01-01 00-00-00-004 {T}.ZPMF", "из будущего", {2099, 12, 0, 31, 23, 59, 59, 999});
    const std::string after = Drop("2024-01-01 00-00-00-005 {A}.ZPMF", "после всех");
    Open(false, [] { modSettings::NewStyleTimestamp = true; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("после всех"); })) << Pane();
    EXPECT_EQ(Count("Не удалось обработать полученное сообщение."), 2) << Pane();
    EXPECT_TRUE(PaneHas("4 МиБ"));
    EXPECT_TRUE(PaneHas("из будущего"));
    EXPECT_TRUE(PaneHas("2100") || PaneHas("2099")) << "shown with its own date";
    for (const std::string& path : {empty, huge, future, after}) EXPECT_TRUE(outside::IsFileHidden(path)) << path;
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder))) << "a folder is never touched";
}

// Copies made by sync services, and a hidden file that comes back visible
// after a re-sync, show nothing new.
TEST_F(FaultCorpusTest, CopiesBySyncServicesAndFilesBackFromAResyncShowNothingNew) {
    const std::string name = "2024-01-31 13-05-07-042 {5D7A}";
    const std::string original = Drop(name + ".ZPMF", "только однажды");
    Open();
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("только однажды"); })) << Pane();
    ASSERT_TRUE(wintest::PumpUntil([&] { return outside::IsFileHidden(original); }));
    std::vector<std::string> copies;
    for (const char* suffix : {" (conflicted copy 2024-02-01).ZPMF", " (conflicted copy 2024-02-01 120000).ZPMF",
                               ".sync-conflict-20240201-120000-ABCDEF7.ZPMF", "-LAPTOP-ANNA.ZPMF"})
        copies.push_back(Drop(name + suffix, "только однажды"));
    ::SetFileAttributesW(outside::W(original).c_str(), FILE_ATTRIBUTE_NORMAL);  // back from a re-sync
    Drop("2024-01-31 13-05-08-000 {N}.ZPMF", "новое");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("новое"); })) << Pane();
    ASSERT_TRUE(wintest::PumpUntil([&] {
        for (const std::string& copy : copies)
            if (!outside::IsFileHidden(copy)) return false;
        return outside::IsFileHidden(original);
    }));
    EXPECT_EQ(Count("только однажды"), 1) << Pane();
}

}  // namespace

namespace {

// Cases that need the file system itself to misbehave: fault-mounts.sh (run
// as root by test.sh) mounts them and names them in the environment; without
// it these tests have nothing to run on.
std::string MountedFolder(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? value : "";
}

class FaultMountsTest : public FaultCorpusTest {};

// A read-only chat folder (a share without write access): files cannot be
// hidden, so each message is shown once in the run and never repeated.
TEST_F(FaultMountsTest, ReadOnlyChatFolderShowsEachMessageOnce) {
    const std::string folder = MountedFolder("QUILLET_READ_ONLY_CHAT");
    if (folder.empty()) GTEST_SKIP() << "needs fault-mounts.sh";
    UseChat(outside::esBuildFileName2(folder, "Беседа.ZPMFChat"), folder);
    Open(false, [] { modSettings::ShowDebugMessages = false; });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("третье только для чтения"); })) << Pane();
    wintest::PumpFor(6000);  // past the next quiet pass
    for (const char* text : {"первое только для чтения", "второе только для чтения", "третье только для чтения"})
        EXPECT_EQ(Count(text), 1) << text;
    EXPECT_FALSE(outside::IsFileHidden(outside::esBuildFileName2(folder, "2024-01-01 00-00-00-001 {A}.ZPMF")));
}

// The logs folder on a full disk: a clear notice, the chat goes on, and no
// file is hidden whose message is not in a log.
TEST_F(FaultMountsTest, LogsOnAFullDiskKeepFilesWhoseMessagesAreInNoLog) {
    const std::string full = MountedFolder("QUILLET_FULL_DISK");
    if (full.empty()) GTEST_SKIP() << "needs fault-mounts.sh";
    const std::string path = Drop("2024-01-01 00-00-00-000 {D}.ZPMF", "в лог не влезло");
    Open(false, [&] { modSettings::LogsFolder = outside::esBuildFileName2(full, "Журналы"); });
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("в лог не влезло"); })) << Pane();
    EXPECT_TRUE(PaneHas("Не удалось сохранить лог")) << Pane();
    wintest::PumpFor(1500);
    EXPECT_FALSE(outside::IsFileHidden(path)) << "its message is in no log";
    const std::string next = Drop("2024-01-01 00-00-00-001 {D}.ZPMF", "и дальше");
    EXPECT_TRUE(wintest::PumpUntil([&] { return PaneHas("и дальше"); })) << "the chat goes on";
    EXPECT_EQ(Count("Не удалось сохранить лог"), 1) << "said once while the disk stays full";
    EXPECT_EQ(Count("в лог не влезло"), 1) << "a waiting file is not shown again";
    // Space comes back: the next save holds both messages, and their files go.
    std::filesystem::remove(std::filesystem::u8path(outside::esBuildFileName2(full, "filler")));
    Drop("2024-01-01 00-00-00-002 {D}.ZPMF", "место есть");
    EXPECT_TRUE(wintest::PumpUntil([&] { return outside::IsFileHidden(path) && outside::IsFileHidden(next); }))
        << Pane();
}

}  // namespace
