// The chat window driven through Win32 messages: sending keys, hot keys,
// minimum size, hiding, transparency and closing.
#include <windows.h>

#include <gtest/gtest.h>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/chatwindow/win32/modRTFSupport.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/startup/modMain.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using chatwindow::frmMain;

namespace {

// Holds modifier keys down for this thread, as GetKeyState sees them.
class HeldKeys {
public:
    HeldKeys(bool shift, bool ctrl) {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        ::GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_MENU] = 0;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};

class ChatWindowTest : public wintest::ChatWindowFixture {
protected:
    ChatWindowTest() : ChatWindowFixture("Окно.ZPMFChat") {}
    void SetUp() override {
        ChatWindowFixture::SetUp();
        Open();
        modSettings::iChatStylePlugin = false;
    }
    void Type(const std::string& text) { ::SetWindowTextW(form->MessageInput(), outside::W(text).c_str()); }
    std::string Box() const {
        wchar_t buffer[1024] = {};
        ::GetWindowTextW(form->MessageInput(), buffer, 1024);
        return outside::U8(buffer);
    }
    // A key as the box gets it from the message loop: key down, then its character.
    void Press(int vk, wchar_t ch, bool shift = false, bool ctrl = false) {
        HeldKeys keys(shift, ctrl);
        ::SendMessageW(form->MessageInput(), WM_KEYDOWN, vk, 1);
        if (ch) ::SendMessageW(form->MessageInput(), WM_CHAR, ch, 1);
        ::SendMessageW(form->MessageInput(), WM_KEYUP, vk, 0xC0000001);
    }
    size_t Files() const {
        return outside::ListPlainFiles(chat.path(), "ZPMF").size() + outside::ListPlainFiles(chat.path(), "ZXMF").size();
    }
};

}  // namespace

TEST_F(ChatWindowTest, EnterAndCtrlEnterSendByTheSetting) {
    struct Case {
        bool sendOnEnter, shift, ctrl;
        wchar_t ch;
        bool sends;
    } cases[] = {
        {false, false, false, L'\r', false}, {false, false, true, L'\n', true},
        {false, true, false, L'\r', false},  {false, true, true, L'\n', false},
        {true, false, false, L'\r', true},   {true, false, true, L'\n', false},
        {true, true, false, L'\r', false},   {true, true, true, L'\n', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sendOnEnter) + std::to_string(c.shift) + std::to_string(c.ctrl));
        modSettings::SendOnEnter = c.sendOnEnter;
        const size_t before = Files();
        Type("привет");
        ::SendMessageW(form->MessageInput(), EM_SETSEL, 6, 6);
        Press(VK_RETURN, c.ch, c.shift, c.ctrl);
        EXPECT_EQ(Files(), before + (c.sends ? 1 : 0));
        if (c.sends)
            EXPECT_EQ(Box(), "") << "sent text leaves the box and the Enter inserts nothing";
        else
            EXPECT_NE(Box(), "привет") << "the key reached the box";
    }
}

TEST_F(ChatWindowTest, XmlMessageComesBackAsOwnToo) {
    modSettings::SendOnEnter = true;
    modSettings::SendXMLMessages = true;
    modSettings::ShowDebugMessages = true;
    form->ShowSystemMessage("первое");
    Type("в формате XML");
    Press(VK_RETURN, L'\r');
    EXPECT_EQ(Box(), "");
    ASSERT_TRUE(wintest::PumpUntil([&] { return Pane().find("в формате XML") != std::string::npos; })) << Pane();
}

TEST_F(ChatWindowTest, SentMessageComesBackAsOwnAndBlankTextIsNotSent) {
    modSettings::SendOnEnter = true;
    Type("  \r\n  ");
    Press(VK_RETURN, L'\r');
    EXPECT_EQ(Files(), 0u);
    EXPECT_EQ(Box().substr(0, 2), "  ") << "the box keeps what it had";
    Type("моё сообщение");
    Press(VK_RETURN, L'\r');
    ASSERT_TRUE(wintest::PumpUntil([&] { return Pane().find("моё сообщение") != std::string::npos; })) << Pane();
    const std::string me = outside::esGetFullUserName();
    EXPECT_NE(Pane().find(modSettings::UserName.empty() ? "Анонимус" : modSettings::UserName), std::string::npos)
        << Pane() << " / " << me;
}

TEST_F(ChatWindowTest, UnwritableFolderShowsTheNoticeAndKeepsTheText) {
    modSettings::SendOnEnter = true;
    modMain::ChatFolder = chat / "нет такой папки";
    Type("не уйдёт");
    Press(VK_RETURN, L'\r');
    EXPECT_EQ(Box(), "не уйдёт");
    const std::string pane = Pane();
    EXPECT_NE(pane.find("Не удалось отправить сообщение."), std::string::npos) << pane;
    EXPECT_NE(pane.find(modMain::ChatFolder), std::string::npos) << "the target path is shown";
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
    Press(VK_ESCAPE, 0x1B, false, true);
    EXPECT_TRUE(::IsWindowVisible(hwnd)) << "Ctrl+Esc does nothing";
    Press(VK_ESCAPE, 0x1B, true, false);
    EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
}

TEST_F(ChatWindowTest, CloseBoxHidesAndClearsTheScrollbackIntoTheLog) {
    modSettings::ClearScrollbackOnHide = true;
    form->ShowSystemMessage("до скрытия");
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(Pane(), "") << "saved to the log, then cleared";
    form->ShowSystemMessage("после");
    size_t logs = 0;
    for (const char* pattern : {"RTF"}) logs += outside::ListPlainFiles(modSettings::LogsFolder, pattern).size();
    EXPECT_EQ(logs, 2u) << "the next line starts a new log file";

    ::ShowWindow(hwnd, SW_SHOW);
    {
        HeldKeys shift(true, false);
        ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); })) << "Shift+close ends the program";
}
