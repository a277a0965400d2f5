// The entry window and the real common dialogs, answered from another thread as a user's clicks would.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/settings/modSettings.h"
#include "app/startup/CExchangePathProtector.h"
#include "app/startup/modMain.h"
#include "app/startup/win32/frmLogin.h"
#include "app/support/win32/FileDialog.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using startup::frmLogin;
using testsupport::FolderNames;
using testsupport::ReadRaw;
using testsupport::WriteRaw;
using wintest::DialogScript;
using wintest::PumpFor;
using wintest::PumpUntil;
using wintest::WindowText;

namespace {

constexpr char kUnset[] = "<не записано>";
// The stored names as written down, not the code's constants (a typo "fixed" in both would pass).
constexpr char kOfnSection[] = "OFN Paths";
constexpr char kLastCreateKey[] = "Laste Create File Directory";
constexpr char kLastOpenKey[] = "Laste Open File Directory";

std::string Stored(const char* key) { return outside::SettingsStore().ReadString(kOfnSection, key, kUnset); }
void Store(const char* key, const std::string& folder) { outside::SettingsStore().WriteString(kOfnSection, key, folder); }
void MakeFolder(const std::string& folder) { std::filesystem::create_directory(std::filesystem::path(outside::W(folder))); }

std::vector<std::string> FileTypes(HWND dialog) {
    std::vector<std::string> types;
    const HWND combo = ::GetDlgItem(dialog, cmb1);
    const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        types.push_back(outside::U8(text));
    }
    return types;
}

// The file dialog is given path, its box the answer; then the dialog, still up behind it, is cancelled.
std::vector<DialogScript::Step> RefusedInTheDialog(const std::string& path, int answer) {
    auto dialog = std::make_shared<HWND>();
    return {[=](HWND box) {
                *dialog = box;
                DialogScript::ChooseFile(path)(box);
            },
            [=](HWND box) {
                DialogScript::Press(answer)(box);
                ::Sleep(300);
                ::PostMessageW(*dialog, WM_COMMAND, IDCANCEL, 0);
            }};
}

chatwindow::frmMain* ChatWindow() {
    chatwindow::frmMain* chat = chatwindow::frmMain::Current();
    return chat && chat->IsLoaded() ? chat : nullptr;
}

class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!wintest::UnderWine()) GTEST_SKIP() << "clears the remembered folders: runs under Wine only";
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Greyfen Works\\Quillet\\OFN Paths");
        modSettings::ResetToDefaults();
        modSettings::LoadClientGuid();
        modSettings::LoadGlobalSettings();
        Open();
    }
    void TearDown() override {
        wintest::Unload(ChatWindow());
        wintest::Unload(login.get());
        login.reset();
    }
    void Open() { ASSERT_NE(login = frmLogin::Load(), nullptr); }
    // A click on a picture button, its dialogs answered by the script.
    std::vector<std::string> Click(startup::LoginButton button, std::vector<DialogScript::Step> steps) {
        DialogScript script(std::move(steps));
        login->Button(button)->ClickMe();
        PumpFor(100);  // a posted close or a shown chat window settles
        return script.Texts();
    }
    bool InChat() {
        return PumpUntil([&] { return ChatWindow() && !login->IsLoaded(); });
    }
    void ExpectStayed() {
        PumpFor(300);
        EXPECT_TRUE(login->IsLoaded()) << "the entry window stays";
        EXPECT_EQ(ChatWindow(), nullptr) << "no chat was entered";
    }

    testsupport::TempDir dir;
    std::unique_ptr<frmLogin> login;
};

}  // namespace

TEST_F(LoginWindowTest, ShowsItsCaptionTextsAndPictures) {
    EXPECT_EQ(WindowText(login->Handle()), "Quillet :: Вход в систему");
    EXPECT_TRUE(::IsWindowVisible(login->Handle()));
    RECT client{};
    ::GetClientRect(login->Handle(), &client);
    for (int i = 0; i < startup::kLabelCount; ++i) {
        SCOPED_TRACE("label " + std::to_string(i));
        const HWND label = login->Label(i);
        EXPECT_EQ(WindowText(label), startup::kLoginLabels[static_cast<size_t>(i)]);
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
        LOGFONTW face{};
        ::GetObjectW(font, sizeof face, &face);
        EXPECT_EQ(face.lfWeight >= FW_BOLD, i % 2 == 0) << "captions bold, explanations not";
        EXPECT_STREQ(face.lfFaceName, L"Tahoma");
        RECT at{};  // nothing clipped: the label holds its wrapped text, inside the window
        ::GetWindowRect(label, &at);
        ::MapWindowPoints(nullptr, login->Handle(), reinterpret_cast<POINT*>(&at), 2);
        EXPECT_LE(at.bottom, client.bottom);
        EXPECT_LE(at.right, client.right);
        HDC dc = ::GetDC(label);
        ::SelectObject(dc, font);
        RECT need{0, 0, at.right - at.left, 0};
        ::DrawTextW(dc, outside::W(startup::kLoginLabels[static_cast<size_t>(i)]).c_str(), -1, &need,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ::ReleaseDC(label, dc);
        EXPECT_LE(need.bottom, at.bottom - at.top) << "the last line is cut";
    }
    for (int b = 0; b < startup::kLoginButtonCount; ++b) {
        const support::ucButton* button = login->Button(static_cast<startup::LoginButton>(b));
        EXPECT_EQ(std::make_pair(button->PictureWidth(), button->PictureHeight()), std::make_pair(32, 32)) << b;
    }
}

// Open takes any file's folder and leaves the file alone; create makes an empty chat file of the name typed;
// each dialog offers chat files and starts in the folder it remembers, or in Documents when that is gone.
TEST_F(LoginWindowTest, OpenAndCreateEnterTheChatAndEachDialogStartsInItsRememberedFolder) {
    const std::string notes = dir / "заметки.txt", folder = dir / "Чат с семьёй";
    WriteRaw(notes, "не чат");
    Click(startup::kOpenChat, {DialogScript::ChooseFile(notes)});
    ASSERT_TRUE(InChat());
    EXPECT_EQ(ChatWindow()->Chat().ChatFilePath, notes);
    EXPECT_EQ(ChatWindow()->Chat().ChatFolder, dir.path());
    EXPECT_EQ(ReadRaw(notes), "не чат");
    EXPECT_EQ(Stored(kLastOpenKey), dir.path());
    EXPECT_EQ(Stored(kLastCreateKey), kUnset);
    TearDown();

    MakeFolder(folder);
    Open();
    Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Беседа")});
    ASSERT_TRUE(InChat());
    const std::string chat = folder + "\\Беседа.ZPMFChat";
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"Беседа.ZPMFChat"}) << "the extension as given";
    EXPECT_EQ(outside::esGetFileSizeEx(chat), 0u);
    EXPECT_EQ(ChatWindow()->Chat().ChatFilePath, chat);
    EXPECT_EQ(ChatWindow()->Chat().ChatFolder, folder);
    EXPECT_TRUE(ChatWindow()->Chat().Claimed());
    EXPECT_NE(WindowText(ChatWindow()->Handle()).find("Беседа"), std::string::npos);
    EXPECT_EQ(Stored(kLastCreateKey), folder);
    EXPECT_EQ(Stored(kLastOpenKey), dir.path()) << "create leaves the open folder alone";
    TearDown();

    const std::string documents = support::FileDialog::DocumentsFolder();
    ASSERT_FALSE(documents.empty());
    const std::pair<std::string, std::string> cases[] = {{"", folder}, {dir / "удалён", documents}};
    for (const auto& [remembered, expected] : cases) {
        SCOPED_TRACE(remembered.empty() ? "as remembered" : "a remembered folder that is gone");
        if (!remembered.empty()) Store(kLastCreateKey, remembered);
        Open();
        std::string start[2];
        for (startup::LoginButton button : {startup::kCreateChat, startup::kOpenChat}) {
            std::vector<std::string> types;
            const auto texts = Click(button, {[&](HWND dialog) {
                                         wchar_t path[MAX_PATH * 4] = {};
                                         ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH * 4,
                                                        reinterpret_cast<LPARAM>(path));
                                         start[button] = outside::U8(path);
                                         types = FileTypes(dialog);
                                         DialogScript::Press(IDCANCEL)(dialog);
                                     }});
            EXPECT_EQ(texts.size(), 1u) << "the dialog and nothing after it";
            EXPECT_EQ(types, (std::vector<std::string>{"Файлы чата", "Все файлы"})) << "the filter";
            ExpectStayed();
        }
        EXPECT_EQ(start[startup::kCreateChat], expected);
        EXPECT_EQ(start[startup::kOpenChat], dir.path());
        TearDown();
    }
}

// The dialog refuses the name with a box of its own and stays.
TEST_F(LoginWindowTest, AMissingFileChangesNothing) {
    const auto texts = Click(startup::kOpenChat, RefusedInTheDialog(dir / "нет такого.ZPMFChat", IDOK));
    EXPECT_EQ(texts.size(), 2u) << "the dialog said the file does not exist";
    ExpectStayed();
    EXPECT_TRUE(FolderNames(dir.path()).empty());
    EXPECT_EQ(Stored(kLastCreateKey), kUnset);
    EXPECT_EQ(Stored(kLastOpenKey), kUnset);
}

TEST_F(LoginWindowTest, CreatingOverAnExistingChatAsksFirstThenReadsWaitingMessages) {
    const std::string chat = dir / "Беседа.ZPMFChat";
    WriteRaw(chat, "старое");
    WriteRaw(dir / "записка.ZTMF", "Записка ждала в папке");
    ASSERT_EQ(Click(startup::kCreateChat, RefusedInTheDialog(chat, IDNO)).size(), 2u) << "the dialog asked first";
    EXPECT_EQ(ReadRaw(chat), "старое");
    EXPECT_TRUE(login->IsLoaded());
    Click(startup::kCreateChat, {DialogScript::ChooseFile(chat), DialogScript::Press(IDYES)});
    ASSERT_TRUE(InChat());
    EXPECT_EQ(outside::esGetFileSizeEx(chat), 0u);
    EXPECT_TRUE(PumpUntil([&] {
        return modRTFSupport::PlainText(ChatWindow()->LogPane()).find("Записка ждала в папке") != std::string::npos;
    }));
}

namespace {
std::function<void()> g_whileWarningUp;
void CALLBACK RunWhileWarningUp(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_whileWarningUp) g_whileWarningUp();
}
}  // namespace

// A click that comes while the warning waits starts nothing (the box's owner: MessageBoxOwnership); and a
// chat entered while such a warning is up (re-entry) keeps its claim after OK.
TEST_F(LoginWindowTest, AFolderServedByAnotherQuilletIsRefusedWhileTheWindowBehindWaits) {
    const std::string taken = dir / "Беседа.ZPMFChat";
    WriteRaw(taken, "");
    wintest::QuilletProcess other(L"\"" + outside::W(taken) + L"\"");
    ASSERT_NE(other.WaitForWindow(L"QuilletChatWindow"), nullptr);
    TearDown();
    Open();  // after the other program's window, so the user is in this one
    const HWND hwnd = login->Handle(), create = login->Button(startup::kCreateChat)->Handle();
    const auto texts = Click(startup::kOpenChat,
                             {DialogScript::ChooseFile(taken), [&](HWND box) {
                                  RECT r{};
                                  ::GetWindowRect(create, &r);
                                  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                                  INPUT click[2] = {};
                                  click[0].type = click[1].type = INPUT_MOUSE;
                                  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                                  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
                                  ::SendInput(2, click, sizeof(INPUT));
                                  ::PostMessageW(create, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                                  ::PostMessageW(create, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                                  ::Sleep(1000);  // a dialog the clicks opened would come now
                                  DialogScript::Press(IDOK)(box);
                              }});
    ASSERT_EQ(texts.size(), 2u) << "no create dialog was started behind the warning";
    EXPECT_EQ(texts[1], dir.path() + "\r\n\r\nВ этом каталоге уже идёт чат.\r\nПопробуйте поискать иконку программы в трее.");
    ExpectStayed();
    EXPECT_TRUE(::IsWindowEnabled(hwnd));

    testsupport::TempDir second;
    const std::string entered = second / "Новая.ZPMFChat";
    startup::ChatPtr claimedMeanwhile;
    g_whileWarningUp = [&] { claimedMeanwhile = modMain::ClaimChatFolder(entered, second.path()); };
    ::SetTimer(nullptr, 0, 200, RunWhileWarningUp);
    DialogScript script({[](HWND box) {
        ::Sleep(1500);  // the timer runs in the warning's own message loop
        DialogScript::Press(IDOK)(box);
    }});
    EXPECT_FALSE(modMain::ClaimChatFolder(taken, dir.path()));
    g_whileWarningUp = nullptr;
    ASSERT_TRUE(claimedMeanwhile);
    EXPECT_EQ(claimedMeanwhile->ChatFolder, second.path());
    EXPECT_EQ(claimedMeanwhile->ChatFilePath, entered);
    startup::CExchangePathProtector probe;
    EXPECT_TRUE(probe.IsPathProtected(second.path())) << "the chat entered meanwhile still holds its folder";
}

TEST_F(LoginWindowTest, KeyboardAloneReachesEveryCommand) {
    const HWND hwnd = login->Handle();
    if (!wintest::TakeForeground(hwnd)) GTEST_SKIP() << "the test window cannot take the keyboard here";
    EXPECT_EQ(::GetFocus(), login->Button(startup::kCreateChat)->Handle());
    wintest::SendKeys({VK_TAB});
    EXPECT_EQ(::GetFocus(), login->Button(startup::kOpenChat)->Handle()) << "Tab goes from button to button";
    {
        DialogScript script({});
        wintest::SendKeys({VK_RETURN});
        EXPECT_TRUE(PumpUntil([&] { return script.BoxesSeen() == 1; }, 5000)) << "Enter pressed the open button";
    }
    PumpFor(300);
    ::SetForegroundWindow(hwnd);
    PumpFor(200);
    wintest::SendKeys({VK_ESCAPE});
    EXPECT_TRUE(PumpUntil([&] { return !login->IsLoaded(); }, 3000)) << "Esc alone closes";
}

// The read-only chat folder of fault-mounts.sh.
TEST_F(LoginWindowTest, FaultMountsReadOnlyFolderShowsTheErrorAndTheWindowStays) {
    const char* mounted = std::getenv("QUILLET_READ_ONLY_CHAT");
    if (!mounted || !*mounted) GTEST_SKIP() << "needs fault-mounts.sh";
    const std::string folder = mounted;
    const auto texts = Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Новый чат"), DialogScript::Press(IDOK)});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("Не удалось создать файл чата.\r\n\r\nОшибка ", 0), 0u) << texts[1];
    ExpectStayed();
    EXPECT_FALSE(outside::esIsFileExist(folder + "\\Новый чат.ZPMFChat"));
    EXPECT_EQ(Stored(kLastCreateKey), folder) << "the folder the dialog ended in is remembered";
}

TEST_F(LoginWindowTest, AChatWindowThatCannotBeMadeIsReportedAsAtStartUp) {
    const std::string folder = dir / "Чат";
    MakeFolder(folder);
    std::vector<std::string> texts;
    {
        wintest::UnwritableSettings unwritable;  // the chat window stores its chat's settings as it loads
        texts = Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Беседа"), DialogScript::Press(IDOK)});
    }
    ASSERT_EQ(texts.size(), 2u) << "the failure is reported";
    EXPECT_EQ(texts[1].rfind("Не удалось запустить программу.\r\n\r\nОшибка ", 0), 0u) << texts[1];
    EXPECT_TRUE(PumpUntil([&] { return !login->IsLoaded(); })) << "then the program ends, as at start-up";
    EXPECT_EQ(ChatWindow(), nullptr);
}

// Where a dialog lets a device name through (Wine's takes NUL for an existing file), no chat opens on it.
TEST_F(LoginWindowTest, ADeviceNameIsNoChatFile) {
    const std::tuple<startup::LoginButton, const char*, const char*> cases[] = {
        {startup::kCreateChat, "com1.ZPMFChat", "Не удалось создать файл чата."},
        {startup::kOpenChat, "NUL", "Не удалось открыть файл чата."},
    };
    for (const auto& [button, name, lead] : cases) {
        SCOPED_TRACE(name);
        // The dialog may ask first whether to replace the "existing" file.
        const auto answer = [](HWND box) { ::PostMessageW(box, WM_COMMAND, ::GetDlgItem(box, IDYES) ? IDYES : IDOK, 0); };
        const auto texts = Click(button, {DialogScript::ChooseFile(dir / name), answer, answer});
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back().rfind(std::string(lead) + "\r\n\r\nОшибка 0x8007007B", 0), 0u) << texts.back();
        ExpectStayed();
    }
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}
