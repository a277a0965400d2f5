// The chat window in the tray: the blinking of its icon, the notifications of
// unseen messages and the unread count in its tip, the tray menu, and the mouse
// wheel over the pane.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/NotificationLogic.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/Wide.h"

using outside::Perchlet;

namespace {

// Long enough for a burst to be over and its notification made.
constexpr int kNotifiedWithinMs = static_cast<int>(chatwindow::kBurstQuietMs) + 8000;
constexpr int kBurstOverMs = static_cast<int>(chatwindow::kBurstQuietMs) + 1000;

// The text of the balloon the shell shows: under Wine, a visible tooltip window
// of the tray's process (another process than ours); "" when none shows.
std::string ShellBalloonText() {
    for (HWND tip = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
         tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(tip, &process);
        if (process == ::GetCurrentProcessId() || !::IsWindowVisible(tip)) continue;
        // Sent: across processes GetWindowText reads only the caption, not the tip.
        wchar_t text[512] = {};
        ::SendMessageTimeoutW(tip, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
        return outside::U8(text);
    }
    return {};
}

// Puts the pointer in the middle of a window; under X it moves asynchronously.
bool PointAt(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::SetCursorPos(middle.x, middle.y);
    return wintest::PumpUntil([&] {
        POINT p{};
        ::GetCursorPos(&p);
        return p.x == middle.x && p.y == middle.y;
    }, 3000);
}

class TrayTest : public wintest::ChatWindowFixture {
protected:
    TrayTest() : ChatWindowFixture("Трей.ZPMFChat") {}
    enum Phase { kTray, kMessage, kEmpty, kOther };
    // Which of the window's tray pictures the tray shows, told by their icon handles.
    Phase IconPhase() const {
        const HANDLE shown = wintest::PictureHandle(Tray()->Icon().get());
        const auto& p = form->TrayIconPictures();
        if (shown == wintest::PictureHandle(p.tray.get())) return kTray;
        if (shown == wintest::PictureHandle(p.message.get())) return kMessage;
        return shown == wintest::PictureHandle(p.empty.get()) ? kEmpty : kOther;
    }
    Perchlet* Tray() const { return form->TrayIcon(); }
    // A message file as another client (or this one, given its GUID) sends it; n orders them.
    void Drop(int n, const std::string& user, const std::string& text,
              const std::string& guid = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}") {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "2024-01-31 13-05-00-%03d", n);
        exchange::WriteBinaryMessage(chat / (std::string(stamp) + " {B}.ZPMF"),
                                     exchange::BuildBinaryRecord({2024, 1, 0, 31, 13, 5, 0, static_cast<uint16_t>(n)},
                                                                 user, text, guid));
    }
    bool WaitForBalloons(int count) {
        return wintest::PumpUntil([&] { return Tray()->BalloonsShown() >= count; }, kNotifiedWithinMs);
    }
    // The phases seen over a while, one entry per change.
    std::vector<Phase> Watch(int milliseconds) {
        std::vector<Phase> seen{IconPhase()};
        wintest::PumpUntil([&] {
            if (IconPhase() != seen.back()) seen.push_back(IconPhase());
            return false;
        }, milliseconds);
        return seen;
    }
};

}  // namespace

TEST_F(TrayTest, MessageWhileHiddenBlinksUntilTheWindowIsShownFromTheMenuWhoseExitEndsIt) {
    modSettings::ShowDebugMessages = true;
    Open(true);
    ASSERT_NE(form->Blinker(), nullptr) << "the blinker control is hosted";
    modSettings::MessageIconIndex = 3;
    modSettings::EmptyIconIndex = 5;
    modSettings::GrayMessageIcon = true;
    form->SetTrayIcons();
    EXPECT_EQ(IconPhase(), kTray);
    // Pixels, not identities: every load makes a new picture.
    const auto pixels = [](const outside::ComPtr<IPicture>& picture) {
        return wintest::IconPixels(static_cast<HICON>(wintest::PictureHandle(picture.get())), 16);
    };
    const auto resource = [&](const char* name) { return pixels(outside::asLoadResTrayIcon(name)); };
    EXPECT_EQ(pixels(form->TrayIconPictures().message), resource("IDI_MESSAGE_3A")) << "the grey message icon";
    EXPECT_EQ(pixels(form->TrayIconPictures().empty), resource("IDI_EMPTY_5"));

    form->ShowDebugMessage("только отладка");
    EXPECT_FALSE(form->Blinker()->Blink()) << "debug lines never blink";
    form->ShowSystemMessage("пришло сообщение");
    const std::vector<Phase> seen = Watch(2400);
    // Empty at once, then message and empty alternating every 750 ms.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], kEmpty);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], i % 2 ? kMessage : kEmpty);
    EXPECT_LE(seen.size(), 5u) << "about every 750 ms, not faster";

    // "Показать окно сообщений" from the tray menu.
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(2000, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(form->Blinker()->Blink());
    EXPECT_EQ(Watch(1000), std::vector<Phase>{kTray});
    modSettings::GrayMessageIcon = false;
    form->SetTrayIcons();
    EXPECT_EQ(pixels(form->TrayIconPictures().message), resource("IDI_MESSAGE_3")) << "the plain message icon";

    // "Выход" from the tray menu.
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(2011, 0), 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
    form = nullptr;
}

TEST_F(TrayTest, TheTipIsTheCaptionWithTheUnreadCountAndActivatingTheVisibleWindowClearsItAndTheBlinking) {
    Open(false);
    const std::string caption = wintest::WindowText(hwnd);
    EXPECT_EQ(Tray()->Text(), caption);
    // Another window of this program has the activation while messages come.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"другое окно", WS_POPUP | WS_VISIBLE | WS_CAPTION, 10, 10, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(wintest::PumpUntil([&] { return ::GetForegroundWindow() == other; }));
    form->ShowSystemMessage("пока вы смотрели в другое окно");
    EXPECT_TRUE(form->Blinker()->Blink());
    Drop(1, "Анна", "первое");
    Drop(2, "Анна", "второе");
    // Visible but not active: notified, and counted in the tip.
    ASSERT_TRUE(WaitForBalloons(1));
    EXPECT_EQ(Tray()->Text(), chatwindow::TrayTipText(caption, 2));
    EXPECT_TRUE(wintest::PumpUntil([] { return !ShellBalloonText().empty(); }, 6000)) << "the shell shows it";

    ::SetForegroundWindow(hwnd);
    ASSERT_TRUE(wintest::PumpUntil([&] { return ::GetForegroundWindow() == hwnd; }));
    EXPECT_FALSE(form->Blinker()->Blink());
    EXPECT_EQ(form->UnreadMessages(), 0);
    EXPECT_EQ(Tray()->Text(), caption);
    EXPECT_TRUE(wintest::PumpUntil([] { return ShellBalloonText().empty(); }, 3000)) << "taken back once seen";
    EXPECT_EQ(Watch(1000), std::vector<Phase>{kTray});
    // Read while looked at: nothing to count or tell.
    Drop(3, "Анна", "третье");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("третье"); }));
    wintest::PumpFor(kBurstOverMs);
    EXPECT_EQ(Tray()->BalloonsShown(), 1);
    EXPECT_EQ(Tray()->Text(), caption);
    ::DestroyWindow(other);
}

// The first pass's backlog is one burst; own messages and system lines never notify.
TEST_F(TrayTest, AMessageFromAnotherWhileHiddenGivesOneNotificationWhoseClickOpensTheWindow) {
    Drop(1, "Я", "моё сообщение", modSettings::ClientGuid);
    Drop(2, "Борис", "раньше");
    Drop(3, "Анна", "  Привет! Как дела?\r\nВторая строка");
    Open(true);
    const std::string caption = wintest::WindowText(hwnd);
    form->ShowSystemMessage("системное");
    ASSERT_TRUE(WaitForBalloons(1));
    EXPECT_EQ(Tray()->LastBalloon().title, "Анна — Трей");
    EXPECT_EQ(Tray()->LastBalloon().text, "Привет! Как дела?…\r\nи ещё 1 сообщение");
    EXPECT_EQ(Tray()->Text(), chatwindow::TrayTipText(caption, 2));
    EXPECT_TRUE(wintest::PumpUntil([] { return ShellBalloonText().find("Привет! Как дела?…") == 0; }, 6000))
        << "the shell shows it: \"" << ShellBalloonText() << '"';
    wintest::PumpFor(kBurstOverMs);
    EXPECT_EQ(Tray()->BalloonsShown(), 1) << "one notification";

    // A click on the notification, as the shell reports it, opens the window.
    ::PostMessageW(Tray()->CallbackWindow(), Perchlet::kCallbackMessage, 1, NIN_BALLOONUSERCLICK);
    ASSERT_TRUE(wintest::PumpUntil([&] { return ::IsWindowVisible(hwnd) != FALSE; }));
    EXPECT_EQ(form->UnreadMessages(), 0);
    EXPECT_EQ(Tray()->Text(), caption);

    // With notifications switched off a message is only counted.
    modSettings::ShowNotifications = false;
    ::ShowWindow(hwnd, SW_HIDE);
    Drop(4, "Анна", "не беспокоить");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("не беспокоить"); }));
    wintest::PumpFor(kBurstOverMs + 500);
    EXPECT_EQ(Tray()->BalloonsShown(), 1) << "notifications off";
    EXPECT_EQ(form->UnreadMessages(), 1);
}

TEST_F(TrayTest, WheelOverThePaneScrollsItWhileTheMessageBoxHasTheFocus) {
    Open(false);
    for (int i = 0; i < 60; ++i) form->ShowSystemMessage("строка " + std::to_string(i));
    HWND box = form->MessageInput();
    ::SetWindowTextW(box, L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
    ::SendMessageW(box, EM_SETSEL, 0, 0);
    ::SetFocus(box);
    const auto wheel = [&](int notches) {
        POINT before{}, after{};
        ::SendMessageW(form->LogPane(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
        ::SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA * notches)), 0);
        ::SendMessageW(form->LogPane(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
        return after.y - before.y;
    };
    const LRESULT boxLine = ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_TRUE(PointAt(form->LogPane()));
    EXPECT_LT(wheel(3), 0) << "the pane scrolled up";
    EXPECT_EQ(::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), boxLine) << "the box did not";
    // Elsewhere the wheel is the focused control's own.
    ASSERT_TRUE(PointAt(box));
    EXPECT_EQ(wheel(-3), 0);
}
