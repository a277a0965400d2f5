// The chat window driven through Win32 messages; the key rules' branches are the logic suite's.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/settings/modSettings.h"
#include "app/support/modFormatVersion.h"
#include "outside/Folder.h"

using chatwindow::frmMain;
using wintest::PressKey;
using wintest::PumpUntil;

namespace {

class ChatWindowTest : public wintest::ChatWindowFixture {
protected:
    ChatWindowTest() : ChatWindowFixture("Окно.ZPMFChat") {}
    void SetUp() override {
        ChatWindowFixture::SetUp();
        Open();
        modSettings::iChatStylePlugin = false;
    }
    void Type(const std::string& text) { wintest::SetText(form->MessageInput(), text); }
    std::string Box() const { return wintest::WindowText(form->MessageInput()); }
    void Press(int vk, wchar_t ch, bool shift = false, bool ctrl = false) {
        PressKey(form->MessageInput(), vk, ch, shift, ctrl);
    }
    // Left to right.
    std::vector<support::ucButton*> Toolbar() const {
        std::vector<support::ucButton*> buttons;
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (auto* button = support::ucButton::FromHandle(child)) buttons.push_back(button);
        const auto left = [](support::ucButton* b) {
            RECT r{};
            ::GetWindowRect(b->Handle(), &r);
            return r.left;
        };
        std::sort(buttons.begin(), buttons.end(), [&](auto* a, auto* b) { return left(a) < left(b); });
        return buttons;
    }
    size_t Files() const {
        return outside::ListPlainFiles(chat.path(), "ZPMF").size() + outside::ListPlainFiles(chat.path(), "ZXMF").size();
    }
};

}  // namespace

// Sent messages come back as one's own in either format; blank text is not sent.
TEST_F(ChatWindowTest, EnterAndCtrlEnterSendByTheSetting) {
    modSettings::SendOnEnter = true;
    Type("  \r\n  ");
    Press(VK_RETURN, L'\r');
    EXPECT_EQ(Files(), 0u) << "blank text is not sent";
    EXPECT_EQ(Box().substr(0, 2), "  ") << "the box keeps what it had";
    const struct {
        bool sendOnEnter, shift, ctrl;
        wchar_t ch;
        bool sends, xml;
    } cases[] = {
        {false, false, true, L'\n', true, false},
        {true, false, false, L'\r', true, true},
        {true, true, false, L'\r', false, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        modSettings::SendOnEnter = c.sendOnEnter;
        modSettings::SendXMLMessages = c.xml;
        const size_t before = Files();
        const std::string text = "привет " + std::to_string(i);
        Type(text);
        Press(VK_RETURN, c.ch, c.shift, c.ctrl);
        EXPECT_EQ(Files(), before + (c.sends ? 1 : 0));
        if (c.sends) {
            EXPECT_EQ(Box(), "") << "sent text leaves the box and the Enter inserts nothing";
            EXPECT_TRUE(PumpUntil([&] { return PaneHas(text); })) << Pane();
        } else {
            EXPECT_NE(Box(), text) << "the key reached the box";
        }
    }
    EXPECT_TRUE(PaneHas(modSettings::UserName.empty() ? "Анонимус" : modSettings::UserName)) << Pane();
}

TEST_F(ChatWindowTest, UnwritableFolderShowsTheNoticeAndKeepsTheText) {
    modSettings::SendOnEnter = true;
    // The chat folder gone from under the open window (a sync client re-creating it).
    const std::filesystem::path folder = std::filesystem::u8path(Chat().ChatFolder);
    const std::filesystem::path away = std::filesystem::u8path(Chat().ChatFolder + ".away");
    std::filesystem::rename(folder, away);
    Type("не уйдёт");
    Press(VK_RETURN, L'\r');
    std::filesystem::rename(away, folder);
    EXPECT_EQ(Box(), "не уйдёт");
    EXPECT_TRUE(PaneHas("Не удалось отправить сообщение.")) << Pane();
    EXPECT_TRUE(PaneHas(Chat().ChatFolder + "\\")) << "the target path is shown";
}

TEST_F(ChatWindowTest, NeverSmallerThanTheMinimumClientArea) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    wintest::PumpFor(100);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    HDC dc = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX), dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    EXPECT_GE(client.right, ::MulDiv(chatwindow::kMinClientWidth, dpiX, 1440) - 1);
    EXPECT_GE(client.bottom, ::MulDiv(chatwindow::kMinClientHeight, dpiY, 1440) - 1);
}

TEST_F(ChatWindowTest, EscHidesShiftEscEndsAndCtrlZeroMakesItTranslucent) {
    Press('0', 0, false, true);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 75 * 255 / 100);
    Press('0', 0, false, true);
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) << "the second press restores 100 %";

    Press(VK_ESCAPE, 0x1B);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(::IsWindow(hwnd));
    ::ShowWindow(hwnd, SW_SHOW);
    Press(VK_ESCAPE, 0x1B, true, false);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    EXPECT_EQ(frmMain::Current(), form) << "the key handler went on with a live object";
}

TEST_F(ChatWindowTest, CloseBoxHidesAndClearsTheScrollbackIntoTheLog) {
    modSettings::ClearScrollbackOnHide = true;
    form->ShowSystemMessage("до скрытия");
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(Pane(), "") << "saved to the log, then cleared";
    form->ShowSystemMessage("после");
    EXPECT_EQ(wintest::LogFiles().size(), 2u) << "the next line starts a new log file";

    ::ShowWindow(hwnd, SW_SHOW);
    {
        wintest::HeldKeys shift(true, false);
        ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); })) << "Shift+close ends the program";
}

TEST_F(ChatWindowTest, TypingGoesOnAfterEveryHotKey) {
    wintest::DialogScript boxes({});  // the read-me's error box, the about box
    struct Case {
        const char* name;
        int vk;
        wchar_t character;  // what the key itself brings, if anything
        bool shift, ctrl;
    } cases[] = {
        {"F1", VK_F1, 0, false, false},        {"Shift+F1", VK_F1, 0, true, false},
        {"F9", VK_F9, 0, false, false},        {"Shift+F9", VK_F9, 0, true, false},
        {"Ctrl+L", 'L', 0x0C, false, true},    {"Ctrl+0", '0', 0, false, true},
        {"Esc", VK_ESCAPE, 0x1B, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Type("");
        Press(c.vk, c.character, c.shift, c.ctrl);
        ::ShowWindow(hwnd, SW_SHOW);
        ::SendMessageW(form->MessageInput(), WM_CHAR, L'ж', 1);
        EXPECT_EQ(Box(), "ж") << "the next letter typed reaches the box";
    }
    const auto texts = boxes.Texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.find(modFormatVersion::VersionText()) != std::string::npos;
    })) << "Shift+F1 showed the about box";
}

// Every button first gives the box the focus, then acts; the exit leaves the
// window object to its owner.
TEST_F(ChatWindowTest, ToolbarButtonsInOrderWithPicturesAndTipsActAfterFocusingTheBox) {
    const char* tips[] = {" Локальные настройки (Shift+F9) ", " Глобальные настройки (F9) ", " Просмотр логов (Ctrl+L) ",
                          " Сделать окно полупрозрачным (Ctrl+0) ", " Выход (Shift+Esc) "};
    const auto buttons = Toolbar();
    ASSERT_EQ(buttons.size(), 5u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->ToolTip(), tips[i]);
        EXPECT_EQ(buttons[i]->PictureWidth(), 32);
        EXPECT_TRUE(::IsWindowVisible(buttons[i]->Handle()));
    }
    ::SetFocus(form->LogPane());
    buttons[3]->ClickMe();
    EXPECT_EQ(::GetFocus(), form->MessageInput()) << "the box has the focus";
    EXPECT_TRUE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) << "and the button acted";

    buttons[4]->ClickMe();
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    // The window is gone, the object is not: whatever ran after the exit touched a live object.
    EXPECT_EQ(frmMain::Current(), form);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(ChatWindowTest, ACloseFromAnotherProgramEndsTheChatAndSavesTheLog) {
    form->ShowSystemMessage("перед снятием задачи");
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); })) << "not hidden: ended";
    const auto logs = wintest::LogFiles();
    EXPECT_TRUE(std::any_of(logs.begin(), logs.end(), [](const std::string& log) {
        return wintest::RtfFileText(log).find("перед снятием задачи") != std::string::npos;
    }));
}

TEST_F(ChatWindowTest, AUserScrolledBackKeepsThePlaceWhileMessagesArrive) {
    for (int i = 0; i < 80; ++i) form->ShowSystemMessage("строка " + std::to_string(i));
    HWND pane = form->LogPane();
    POINT top{0, 0};
    ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&top));
    POINT before{}, after{};
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
    form->ShowSystemMessage("пока вы читали старое");
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.y, before.y) << "scrolled back: the view stays";

    ::SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
    form->ShowSystemMessage("последнее");
    POINTL at{};
    ::SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), ::GetWindowTextLengthW(pane) - 2);
    RECT client{};
    ::GetClientRect(pane, &client);
    EXPECT_LE(at.y, client.bottom) << "at the end: the new message comes into view";
}
