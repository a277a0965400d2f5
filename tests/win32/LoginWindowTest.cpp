// The entry window through its real window and the real common dialogs: the
// dialogs are answered from another thread by window messages, as a user's
// clicks would answer them.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/settings/modSettings.h"
#include "app/startup/CExchangePathProtector.h"
#include "app/startup/modMain.h"
#include "app/startup/win32/frmLogin.h"
#include "app/support/win32/FileDialog.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using startup::frmLogin;
using wintest::DialogScript;

namespace {

constexpr char kUnset[] = "<не записано>";
// The stored names as written down for users and earlier versions, not the
// code's constants: a misspelling "fixed" in both places would pass unseen.
constexpr char kOfnSection[] = "OFN Paths";
constexpr char kLastCreateKey[] = "Laste Create File Directory";
constexpr char kLastOpenKey[] = "Laste Open File Directory";

std::string Stored(const char* key) {
    outside::SettingsStore store;
    return store.ReadString(kOfnSection, key, kUnset);
}
void Store(const char* key, const std::string& folder) {
    outside::SettingsStore store;
    store.WriteString(kOfnSection, key, folder);
}

// The names of a file dialog's file types, in order.
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

// The names in a folder as the disk spells them.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(outside::W(folder))))
        names.push_back(outside::U8(entry.path().filename().wstring()));
    return names;
}

// The chat window of this process, when one is open.
chatwindow::frmMain* ChatWindow() {
    chatwindow::frmMain* chat = chatwindow::frmMain::Current();
    return chat && chat->IsLoaded() ? chat : nullptr;
}

INPUT Key(WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    return in;
}

std::string WindowText(HWND window) {
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return outside::U8(text);
}

class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!wintest::UnderWine()) GTEST_SKIP() << "clears the remembered folders: runs under Wine only";
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Greyfen Works\\Quillet\\OFN Paths");
        modSettings::ResetToDefaults();
        modSettings::LoadClientGuid();
        modSettings::LoadGlobalSettings();
    }
    void TearDown() override {
        if (chatwindow::frmMain* chat = ChatWindow()) {
            HWND hwnd = chat->Handle();
            chat->Unload();
            wintest::PumpUntil([&] { return !::IsWindow(hwnd); });
        }
        if (login && login->IsLoaded()) {
            HWND hwnd = login->Handle();
            login->Unload();
            wintest::PumpUntil([&] { return !::IsWindow(hwnd); });
        }
        login.reset();
    }
    void Open() {
        login = frmLogin::Load();
        ASSERT_NE(login, nullptr);
    }
    // A click on a picture button; its dialogs are answered by the script.
    std::vector<std::string> Click(startup::LoginButton button, std::vector<DialogScript::Step> steps) {
        DialogScript script(std::move(steps));
        login->Button(button)->ClickMe();
        wintest::PumpFor(100);  // a posted close or a shown chat window settles
        return script.Texts();
    }
    // The chat window came and the entry window went.
    bool InChat() {
        return wintest::PumpUntil([&] { return ChatWindow() && !login->IsLoaded(); });
    }
    std::string Pane() const { return modRTFSupport::PlainText(ChatWindow()->LogPane()); }

    testsupport::TempDir dir;
    std::unique_ptr<frmLogin> login;
};

}  // namespace

TEST_F(LoginWindowTest, ShowsItsCaptionTextsAndPictures) {
    Open();
    EXPECT_EQ(WindowText(login->Handle()), "Quillet :: Вход в систему");
    EXPECT_TRUE(::IsWindowVisible(login->Handle()));
    for (int i = 0; i < startup::kLabelCount; ++i) {
        EXPECT_EQ(WindowText(login->Label(i)), startup::kLoginLabels[static_cast<size_t>(i)]);
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(login->Label(i), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, i % 2 == 0) << "label " << i;
        EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    }
    for (int b = 0; b < startup::kLoginButtonCount; ++b) {
        support::ucButton* button = login->Button(static_cast<startup::LoginButton>(b));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->PictureWidth(), 32) << "button " << b;
        EXPECT_EQ(button->PictureHeight(), 32) << "button " << b;
    }
    // Nothing is clipped: every label holds its wrapped text, inside the window.
    RECT client{};
    ::GetClientRect(login->Handle(), &client);
    for (int i = 0; i < startup::kLabelCount; ++i) {
        HWND label = login->Label(i);
        RECT at{};
        ::GetWindowRect(label, &at);
        ::MapWindowPoints(nullptr, login->Handle(), reinterpret_cast<POINT*>(&at), 2);
        EXPECT_LE(at.bottom, client.bottom) << i;
        EXPECT_LE(at.right, client.right) << i;
        HDC dc = ::GetDC(label);
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
        const std::wstring text = outside::W(startup::kLoginLabels[static_cast<size_t>(i)]);
        RECT need{0, 0, at.right - at.left, 0};
        ::DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ::ReleaseDC(label, dc);
        EXPECT_LE(need.bottom, at.bottom - at.top) << "label " << i << " cuts its last line";
    }
}

TEST_F(LoginWindowTest, CreateWritesAnEmptyChatFileOpensTheChatAndRemembersTheFolder) {
    const std::string folder = dir / "Чат с семьёй";
    std::filesystem::create_directory(std::filesystem::path(outside::W(folder)));
    Open();
    // A bare name, as the label tells the user to type it.
    Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Беседа")});
    ASSERT_TRUE(InChat());
    const std::string chat = folder + "\\Беседа.ZPMFChat";
    EXPECT_EQ(Names(folder), std::vector<std::string>{"Беседа.ZPMFChat"}) << "the extension as given, not lower case";
    EXPECT_EQ(outside::esGetFileSizeEx(chat), 0u);
    EXPECT_EQ(ChatWindow()->Chat().ChatFilePath, chat);
    EXPECT_EQ(ChatWindow()->Chat().ChatFolder, folder);
    EXPECT_TRUE(ChatWindow()->Chat().Claimed());
    EXPECT_EQ(Stored(kLastCreateKey), folder);
    EXPECT_EQ(Stored(kLastOpenKey), kUnset);
    EXPECT_NE(WindowText(ChatWindow()->Handle()).find("Беседа"), std::string::npos);
}

TEST_F(LoginWindowTest, CancelledDialogsChangeNothing) {
    Open();
    for (startup::LoginButton button : {startup::kCreateChat, startup::kOpenChat}) {
        std::vector<std::string> types;
        const auto texts = Click(button, {[&](HWND dialog) {
                                     types = FileTypes(dialog);
                                     DialogScript::Press(IDCANCEL)(dialog);
                                 }});
        EXPECT_EQ(texts.size(), 1u) << "the dialog and nothing after it";
        EXPECT_EQ(types, (std::vector<std::string>{"Файлы чата", "Все файлы"})) << "the filter";
        EXPECT_TRUE(login->IsLoaded());
        EXPECT_EQ(ChatWindow(), nullptr);
    }
    EXPECT_TRUE(Names(dir.path()).empty());
    EXPECT_EQ(Stored(kLastCreateKey), kUnset);
    EXPECT_EQ(Stored(kLastOpenKey), kUnset);
}

TEST_F(LoginWindowTest, OpenUsesAnyFilesFolderAndLeavesTheFileAlone) {
    const std::string notes = dir / "заметки.txt";
    outside::TheTextFile().WriteText(notes, "не чат", outside::TextEncoding::Utf8);
    Open();
    Click(startup::kOpenChat, {DialogScript::ChooseFile(notes)});
    ASSERT_TRUE(InChat());
    EXPECT_EQ(ChatWindow()->Chat().ChatFilePath, notes);
    EXPECT_EQ(ChatWindow()->Chat().ChatFolder, dir.path());
    EXPECT_EQ(outside::TheTextFile().ReadText(notes), "не чат");
    EXPECT_EQ(Stored(kLastOpenKey), dir.path());
    EXPECT_EQ(Stored(kLastCreateKey), kUnset);
}

TEST_F(LoginWindowTest, OpenRequiresAnExistingFile) {
    Open();
    // The dialog refuses the name and stays; the box it shows is answered, then the dialog cancelled.
    const std::string missing = dir / "нет такого.ZPMFChat";
    HWND fileDialog = nullptr;
    const auto texts = Click(startup::kOpenChat, {[&](HWND box) {
                                                      fileDialog = box;
                                                      DialogScript::ChooseFile(missing)(box);
                                                  },
                                                  [&](HWND box) {
                                                      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                                                      ::Sleep(300);
                                                      ::PostMessageW(fileDialog, WM_COMMAND, IDCANCEL, 0);
                                                  }});
    EXPECT_EQ(texts.size(), 2u) << "the dialog said the file does not exist";
    EXPECT_TRUE(login->IsLoaded());
    EXPECT_EQ(ChatWindow(), nullptr);
    EXPECT_EQ(Stored(kLastOpenKey), kUnset);
}

TEST_F(LoginWindowTest, EachDialogStartsInItsOwnRememberedFolder) {
    const std::string created = dir / "создан";
    const std::string opened = dir / "открыт";
    for (const std::string& f : {created, opened}) std::filesystem::create_directory(std::filesystem::path(outside::W(f)));
    Store(kLastOpenKey, opened);
    Open();
    Click(startup::kCreateChat, {DialogScript::ChooseFile(created + "\\Беседа")});
    ASSERT_TRUE(InChat());
    EXPECT_EQ(Stored(kLastOpenKey), opened) << "create leaves the open folder alone";
    TearDown();

    struct Case {
        const char* name;
        std::string createFolder;  // stored before the window opens; empty: as left above
        std::string expectCreate, expectOpen;
    };
    const std::string documents = support::FileDialog::DocumentsFolder();
    ASSERT_FALSE(documents.empty());
    const Case cases[] = {
        {"as remembered", "", created, opened},
        {"a remembered folder that is gone", dir / "удалён", documents, opened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.createFolder.empty()) Store(kLastCreateKey, c.createFolder);
        Open();
        std::string createStart, openStart;
        Click(startup::kCreateChat, {DialogScript::ReadFolder(&createStart, DialogScript::Press(IDCANCEL))});
        Click(startup::kOpenChat, {DialogScript::ReadFolder(&openStart, DialogScript::Press(IDCANCEL))});
        EXPECT_EQ(createStart, c.expectCreate);
        EXPECT_EQ(openStart, c.expectOpen);
        TearDown();
    }
}

TEST_F(LoginWindowTest, CreatingOverAnExistingChatAsksFirstThenReadsWaitingMessages) {
    const std::string chat = dir / "Беседа.ZPMFChat";
    outside::TheTextFile().WriteText(chat, "старое", outside::TextEncoding::Utf8);
    outside::TheTextFile().WriteText(dir / "записка.ZTMF", "Записка ждала в папке", outside::TextEncoding::Utf8);
    Open();

    // "No" to the question: back in the dialog, which is then cancelled.
    HWND fileDialog = nullptr;
    auto texts = Click(startup::kCreateChat, {[&](HWND box) {
                                                  fileDialog = box;
                                                  DialogScript::ChooseFile(chat)(box);
                                              },
                                              [&](HWND box) {
                                                  ::PostMessageW(box, WM_COMMAND, IDNO, 0);
                                                  ::Sleep(300);
                                                  ::PostMessageW(fileDialog, WM_COMMAND, IDCANCEL, 0);
                                              }});
    ASSERT_EQ(texts.size(), 2u) << "the dialog asked before replacing";
    EXPECT_EQ(outside::TheTextFile().ReadText(chat), "старое");
    EXPECT_TRUE(login->IsLoaded());

    // "Yes": the chat file is emptied and the waiting message is shown.
    Click(startup::kCreateChat, {DialogScript::ChooseFile(chat), DialogScript::Press(IDYES)});
    ASSERT_TRUE(InChat());
    EXPECT_EQ(outside::esGetFileSizeEx(chat), 0u);
    EXPECT_TRUE(wintest::PumpUntil([&] { return Pane().find("Записка ждала в папке") != std::string::npos; }));
}

TEST_F(LoginWindowTest, AFolderServedByAnotherQuilletIsRefusedAndTheWindowStays) {
    const std::string chat = dir / "Беседа.ZPMFChat";
    outside::TheTextFile().WriteText(chat, "", outside::TextEncoding::Utf8);
    wintest::QuilletProcess other(L"\"" + outside::W(chat) + L"\"");
    ASSERT_NE(other.WaitForWindow(L"QuilletChatWindow"), nullptr);
    Open();
    const auto texts = Click(startup::kOpenChat, {DialogScript::ChooseFile(chat), DialogScript::Press(IDOK)});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], dir.path() + "\r\n\r\nВ этом каталоге уже идёт чат.\r\nПопробуйте поискать иконку программы в трее.");
    wintest::PumpFor(300);
    EXPECT_TRUE(login->IsLoaded());
    EXPECT_EQ(ChatWindow(), nullptr);
}

TEST_F(LoginWindowTest, KeyboardAloneReachesEveryCommand) {
    Open();
    HWND hwnd = login->Handle();
    ::SetForegroundWindow(hwnd);
    if (!wintest::PumpUntil([&] { return ::GetForegroundWindow() == hwnd; }, 2000)) {
        // Xvfb under Wine always lets it: a skip there would hide a failure.
        if (wintest::UnderWine()) FAIL() << "the test window cannot take the keyboard";
        else GTEST_SKIP() << "the test window cannot take the keyboard here";
    }
    const auto send = [](std::initializer_list<WORD> down) {
        std::vector<INPUT> keys;
        for (WORD vk : down) keys.push_back(Key(vk, 0));
        for (auto it = std::rbegin(down); it != std::rend(down); ++it) keys.push_back(Key(*it, KEYEVENTF_KEYUP));
        ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
        wintest::PumpFor(200);
    };
    EXPECT_EQ(::GetFocus(), login->Button(startup::kCreateChat)->Handle());
    send({VK_TAB});
    EXPECT_EQ(::GetFocus(), login->Button(startup::kOpenChat)->Handle()) << "Tab goes from button to button";
    {
        DialogScript script({DialogScript::Press(IDCANCEL)});
        send({VK_RETURN});
        EXPECT_TRUE(wintest::PumpUntil([&] { return script.BoxesSeen() == 1; }, 5000)) << "Enter pressed the open button";
    }
    wintest::PumpFor(300);
    ::SetForegroundWindow(hwnd);
    wintest::PumpFor(200);
    {
        DialogScript script({DialogScript::Press(IDOK)});
        send({VK_SHIFT, VK_F1});
        EXPECT_TRUE(wintest::PumpUntil([&] { return script.BoxesSeen() == 1; }, 5000)) << "Shift+F1 shows the about box";
    }
    wintest::PumpFor(300);
    ::SetForegroundWindow(hwnd);
    wintest::PumpFor(200);
    send({VK_SHIFT, VK_ESCAPE});
    send({VK_CONTROL, VK_ESCAPE});
    EXPECT_TRUE(login->IsLoaded()) << "Esc with Shift or Ctrl does nothing";
    send({VK_ESCAPE});
    EXPECT_TRUE(wintest::PumpUntil([&] { return !login->IsLoaded(); }, 3000)) << "Esc alone closes";
}

// The read-only chat folder of fault-mounts.sh.
TEST_F(LoginWindowTest, FaultMountsReadOnlyFolderShowsTheErrorAndTheWindowStays) {
    const char* mounted = std::getenv("QUILLET_READ_ONLY_CHAT");
    if (!mounted || !*mounted) GTEST_SKIP() << "needs fault-mounts.sh";
    const std::string folder = mounted;
    Open();
    const auto texts = Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Новый чат"), DialogScript::Press(IDOK)});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("Не удалось создать файл чата.\r\n\r\nОшибка ", 0), 0u) << texts[1];
    wintest::PumpFor(300);
    EXPECT_TRUE(login->IsLoaded());
    EXPECT_EQ(ChatWindow(), nullptr);
    EXPECT_FALSE(outside::esIsFileExist(folder + "\\Новый чат.ZPMFChat"));
    EXPECT_EQ(Stored(kLastCreateKey), folder) << "the folder the dialog ended in is remembered";
}

// Windows keeps a box's owner disabled: nothing behind the folder warning can
// start a second command. A posted click (which passes a disabled window by)
// starts nothing either, and a real click lands nowhere.
TEST_F(LoginWindowTest, WhileTheWarningIsUpTheWindowBehindIsDisabledAndStartsNothing) {
    const std::string taken = dir / "Беседа.ZPMFChat";
    outside::TheTextFile().WriteText(taken, "", outside::TextEncoding::Utf8);
    wintest::QuilletProcess other(L"\"" + outside::W(taken) + L"\"");
    ASSERT_NE(other.WaitForWindow(L"QuilletChatWindow"), nullptr);
    Open();
    const HWND hwnd = login->Handle();
    const HWND create = login->Button(startup::kCreateChat)->Handle();
    HWND owner = nullptr;
    bool enabledBehind = true;
    const auto texts = Click(startup::kOpenChat,
                             {DialogScript::ChooseFile(taken), [&](HWND box) {
                                  owner = ::GetWindow(box, GW_OWNER);
                                  enabledBehind = ::IsWindowEnabled(hwnd);
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
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1].find(dir.path() + "\r\n\r\nВ этом каталоге уже идёт чат."), 0u) << texts[1];
    EXPECT_EQ(owner, hwnd) << "the warning belongs to the window the user is in";
    EXPECT_FALSE(enabledBehind) << "and that window waits for the answer";
    EXPECT_EQ(texts.size(), 2u) << "no create dialog was started behind the warning";
    wintest::PumpFor(300);
    EXPECT_TRUE(login->IsLoaded());
    EXPECT_TRUE(::IsWindowEnabled(hwnd));
    EXPECT_EQ(ChatWindow(), nullptr);
}

namespace {
std::function<void()> g_whileWarningUp;
void CALLBACK RunWhileWarningUp(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_whileWarningUp) g_whileWarningUp();
}
}  // namespace

// Whatever runs while an old warning is up (here: a chat entered meanwhile,
// as re-entry once allowed) keeps its chat path and its claim after that
// warning's OK.
TEST_F(LoginWindowTest, AWarningsOkNeverEmptiesTheChatOfARunningWindow) {
    const std::string taken = dir / "Беседа.ZPMFChat";
    outside::TheTextFile().WriteText(taken, "", outside::TextEncoding::Utf8);
    wintest::QuilletProcess other(L"\"" + outside::W(taken) + L"\"");
    ASSERT_NE(other.WaitForWindow(L"QuilletChatWindow"), nullptr);
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

TEST_F(LoginWindowTest, AChatWindowThatCannotBeMadeIsReportedAsAtStartUp) {
    const std::string folder = dir / "Чат";
    std::filesystem::create_directory(std::filesystem::path(outside::W(folder)));
    Open();
    std::vector<std::string> texts;
    {
        // The chat window stores its chat's settings as it loads.
        wintest::UnwritableSettings unwritable;
        texts = Click(startup::kCreateChat, {DialogScript::ChooseFile(folder + "\\Беседа"), DialogScript::Press(IDOK)});
    }
    ASSERT_EQ(texts.size(), 2u) << "the failure is reported";
    EXPECT_EQ(texts[1].rfind("Не удалось запустить программу.\r\n\r\nОшибка ", 0), 0u) << texts[1];
    EXPECT_TRUE(wintest::PumpUntil([&] { return !login->IsLoaded(); })) << "then the program ends, as at start-up";
    EXPECT_EQ(ChatWindow(), nullptr);
}

// Windows keeps device names (CON, NUL, COM1, ...) for its devices, with any
// extension; its dialogs refuse them. Where a dialog lets one through (Wine's
// takes NUL for an existing file), no chat opens on it.
TEST_F(LoginWindowTest, ADeviceNameIsNoChatFile) {
    Open();
    struct Case {
        startup::LoginButton button;
        const char* name;
        const char* lead;
    };
    const Case cases[] = {
        {startup::kCreateChat, "NUL", "Не удалось создать файл чата."},
        {startup::kCreateChat, "com1.ZPMFChat", "Не удалось создать файл чата."},
        {startup::kOpenChat, "NUL", "Не удалось открыть файл чата."},
        {startup::kOpenChat, "Con", "Не удалось открыть файл чата."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The dialog may ask first whether to replace the "existing" file.
        const auto answer = [](HWND box) { ::PostMessageW(box, WM_COMMAND, ::GetDlgItem(box, IDYES) ? IDYES : IDOK, 0); };
        const auto texts = Click(c.button, {DialogScript::ChooseFile(dir / c.name), answer, answer});
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back().rfind(std::string(c.lead) + "\r\n\r\nОшибка 0x8007007B", 0), 0u) << texts.back();
        wintest::PumpFor(300);
        EXPECT_TRUE(login->IsLoaded());
        EXPECT_EQ(ChatWindow(), nullptr);
    }
    EXPECT_TRUE(Names(dir.path()).empty());
}
