// The chat window in the tray: the blinking of its icon, the notifications
// of unseen messages and the unread count in its tip, the tray menu, and the
// mouse wheel over the pane.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "ChatWindowFixture.h"
#include "QuilletProcess.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/NotificationLogic.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/TextFile.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using chatwindow::frmMain;
using outside::Perchlet;

namespace {

const std::string kOtherClient = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
// Long enough for a burst to be over and its notification made.
constexpr int kNotifiedWithinMs = static_cast<int>(chatwindow::kBurstQuietMs) + 8000;

// The text of the balloon the shell shows: under Wine, a visible tooltip window
// of the tray's process (another process than ours); "" when none shows.
BOOL CALLBACK FindShellBalloon(HWND window, LPARAM out) {
    wchar_t name[64] = {};
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() || !::IsWindowVisible(window) || !::GetClassNameW(window, name, 64) ||
        std::wstring_view(name) != TOOLTIPS_CLASSW)
        return TRUE;
    // Sent: across processes GetWindowText reads only the caption, not the tip.
    wchar_t text[512] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    *reinterpret_cast<std::string*>(out) = outside::U8(text);
    return FALSE;
}
std::string ShellBalloonText() {
    std::string found;
    ::EnumWindows(FindShellBalloon, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool Same(IUnknown* a, IUnknown* b) {
    if (!a || !b) return a == b;
    outside::ComPtr<IUnknown> ua, ub;
    a->QueryInterface(IID_IUnknown, ua.put_void());
    b->QueryInterface(IID_IUnknown, ub.put_void());
    return ua.get() == ub.get();
}

// A picture's icon as drawn on black at 16 x 16.
wintest::Pixels IconPixels(IPicture* picture) {
    return wintest::IconPixels(static_cast<HICON>(wintest::PictureHandle(picture)), 16);
}

class TrayTest : public wintest::ChatWindowFixture {
protected:
    TrayTest() : ChatWindowFixture("Трей.ZPMFChat") {}
    void Open(bool hidden) {
        ChatWindowFixture::Open(hidden);
        ASSERT_NE(form->Blinker(), nullptr) << "the blinker control is hosted";
    }
    enum Phase { kTray, kMessage, kEmpty, kOther };
    Phase IconPhase() const {
        IPicture* shown = form->TrayIcon()->Icon().get();
        const auto& p = form->TrayIconPictures();
        if (Same(shown, p.tray.get())) return kTray;
        if (Same(shown, p.message.get())) return kMessage;
        if (Same(shown, p.empty.get())) return kEmpty;
        return kOther;
    }
    Perchlet* Tray() const { return form->TrayIcon(); }
    // A message file as another client (or this one, given its GUID) sends it; n orders them.
    void Drop(int n, const std::string& user, const std::string& text, const std::string& guid = kOtherClient) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "2024-01-31 13-05-%02d-%03d", n / 1000, n % 1000);
        exchange::WriteBinaryMessage(chat / (std::string(stamp) + " {B}.ZPMF"),
                                     exchange::BuildBinaryRecord({2024, 1, 0, 31, 13, 5, static_cast<uint16_t>(n / 1000),
                                                                  static_cast<uint16_t>(n % 1000)},
                                                                 user, text, guid));
    }
    bool WaitForBalloons(int count) {
        return wintest::PumpUntil([&] { return Tray()->BalloonsShown() >= count; }, kNotifiedWithinMs);
    }
    static std::string WithCount(const std::string& tip, int unread) {
        return tip + "\r\nНепрочитанных сообщений: " + std::to_string(unread);
    }

    // The phases seen over a while, one entry per change.
    std::vector<Phase> Watch(int milliseconds) {
        std::vector<Phase> seen{IconPhase()};
        wintest::PumpUntil(
            [&] {
                if (IconPhase() != seen.back()) seen.push_back(IconPhase());
                return false;
            },
            milliseconds);
        return seen;
    }

};

}  // namespace

TEST_F(TrayTest, MessageWhileHiddenBlinksUntilTheWindowIsShownFromTheMenu) {
    modSettings::MessageIconIndex = 3;
    modSettings::EmptyIconIndex = 5;
    modSettings::GrayMessageIcon = true;
    Open(true);
    EXPECT_EQ(IconPhase(), kTray);
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
    EXPECT_EQ(IconPhase(), kTray);
    EXPECT_FALSE(form->Blinker()->Blink());
    EXPECT_EQ(Watch(1000), std::vector<Phase>{kTray});
}

TEST_F(TrayTest, DebugLinesNeverBlink) {
    modSettings::ShowDebugMessages = true;
    Open(true);
    form->ShowDebugMessage("только отладка");
    EXPECT_FALSE(form->Blinker()->Blink());
    EXPECT_EQ(Watch(1000), std::vector<Phase>{kTray});
}

TEST_F(TrayTest, TheGreyMessageIconIsTheAForm) {
    // Pixels, not identities: every load makes a new picture.
    Open(true);
    for (const bool grey : {true, false}) {
        SCOPED_TRACE(grey);
        modSettings::MessageIconIndex = 3;
        modSettings::GrayMessageIcon = grey;
        form->SetTrayIcons();
        const auto pixels = IconPixels(form->TrayIconPictures().message.get());
        EXPECT_EQ(pixels, IconPixels(outside::asLoadResTrayIcon(grey ? "IDI_MESSAGE_3A" : "IDI_MESSAGE_3").get()));
        EXPECT_NE(pixels, IconPixels(outside::asLoadResTrayIcon(grey ? "IDI_MESSAGE_3" : "IDI_MESSAGE_3A").get()));
        EXPECT_EQ(IconPixels(form->TrayIconPictures().empty.get()),
                  IconPixels(outside::asLoadResTrayIcon("IDI_EMPTY_0").get()));
    }
}

TEST_F(TrayTest, TheTipIsTheCaptionWithTheUnreadCountAndActivatingTheVisibleWindowClearsItAndTheBlinking) {
    Open(false);
    const std::string caption = wintest::WindowCaption(hwnd);
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
    EXPECT_EQ(Tray()->LastBalloon().text, "второе\r\nи ещё 1 сообщение");
    EXPECT_EQ(Tray()->Text(), WithCount(caption, 2));
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
    wintest::PumpFor(static_cast<int>(chatwindow::kBurstQuietMs) + 1000);
    EXPECT_EQ(Tray()->BalloonsShown(), 1);
    EXPECT_EQ(Tray()->Text(), caption);
    ::DestroyWindow(other);
}

TEST_F(TrayTest, AMessageFromAnotherWhileHiddenGivesOneNotificationWhoseClickOpensTheWindow) {
    modSettings::ShowDebugMessages = true;
    Open(true);
    const std::string caption = Tray()->Text();
    // Own messages, system and debug lines never notify.
    Drop(1, "Я", "моё сообщение", modSettings::ClientGuid);
    form->ShowSystemMessage("системное");
    form->ShowDebugMessage("отладочное");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("моё сообщение"); }));
    wintest::PumpFor(static_cast<int>(chatwindow::kBurstQuietMs) + 1000);
    EXPECT_EQ(Tray()->BalloonsShown(), 0);
    EXPECT_EQ(Tray()->Text(), caption);

    Drop(2, "Анна", "  Привет! Как дела?\r\nВторая строка");
    ASSERT_TRUE(WaitForBalloons(1));
    EXPECT_EQ(Tray()->LastBalloon().title, "Анна — Трей");
    EXPECT_EQ(Tray()->LastBalloon().text, "Привет! Как дела?…");
    EXPECT_EQ(Tray()->Text(), WithCount(caption, 1));
    EXPECT_TRUE(wintest::PumpUntil([] { return ShellBalloonText() == "Привет! Как дела?…"; }, 6000))
        << "the shell shows it: \"" << ShellBalloonText() << '"';
    EXPECT_EQ(Tray()->BalloonsShown(), 1) << "one notification";

    // A click on the notification, as the shell reports it, opens the window.
    ::PostMessageW(Tray()->CallbackWindow(), Perchlet::kCallbackMessage, 1, NIN_BALLOONUSERCLICK);
    ASSERT_TRUE(wintest::PumpUntil([&] { return ::IsWindowVisible(hwnd) != FALSE; }));
    EXPECT_EQ(form->UnreadMessages(), 0);
    EXPECT_EQ(Tray()->Text(), caption);
}

TEST_F(TrayTest, ABurstGivesOneNotificationTheFirstPassBacklogAsWellAsOneWhileRunning) {
    for (int i = 0; i < 50; ++i) Drop(i, "Отправитель " + std::to_string(i), "сообщение " + std::to_string(i));
    Open(true);
    ASSERT_TRUE(WaitForBalloons(1));
    EXPECT_TRUE(PaneHas("сообщение 49"));
    EXPECT_EQ(Tray()->LastBalloon().title, "Отправитель 49 — Трей");
    EXPECT_EQ(Tray()->LastBalloon().text, "сообщение 49\r\nи ещё 49 сообщений");

    // Each message of this burst comes in a pass of its own.
    for (int i = 50; i < 60; ++i) {
        Drop(i, "Борис", "ещё " + std::to_string(i));
        ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("ещё " + std::to_string(i)); }));
    }
    ASSERT_TRUE(WaitForBalloons(2));
    wintest::PumpFor(static_cast<int>(chatwindow::kBurstQuietMs) + 1000);
    EXPECT_EQ(Tray()->BalloonsShown(), 2);
    EXPECT_EQ(Tray()->LastBalloon().text, "ещё 59\r\nи ещё 9 сообщений");
    EXPECT_EQ(form->UnreadMessages(), 60);
}

TEST_F(TrayTest, WithNotificationsOffAMessageIsOnlyCounted) {
    modSettings::ShowNotifications = false;
    Open(true);
    Drop(1, "Анна", "не беспокоить");
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("не беспокоить"); }));
    wintest::PumpFor(static_cast<int>(chatwindow::kBurstQuietMs) + 1500);
    EXPECT_EQ(Tray()->BalloonsShown(), 0);
    EXPECT_EQ(form->UnreadMessages(), 1);
}

TEST_F(TrayTest, WheelOverThePaneScrollsItWhileTheMessageBoxHasTheFocus) {
    Open(false);
    for (int i = 0; i < 60; ++i) form->ShowSystemMessage("строка " + std::to_string(i));
    ::SetWindowTextW(form->MessageInput(), L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
    ::SendMessageW(form->MessageInput(), EM_SETSEL, 0, 0);
    ::SetFocus(form->MessageInput());
    HWND pane = form->LogPane();
    POINT before{};
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
    const int boxLine = static_cast<int>(::SendMessageW(form->MessageInput(), EM_GETFIRSTVISIBLELINE, 0, 0));

    RECT r{};
    ::GetWindowRect(pane, &r);
    const POINT overPane{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::SetCursorPos(overPane.x, overPane.y);
    ASSERT_TRUE(wintest::PumpUntil([&] {
        POINT p{};
        ::GetCursorPos(&p);
        return p.x == overPane.x && p.y == overPane.y;
    }, 3000));
    const POINT cursor = overPane;
    ::SendMessageW(form->MessageInput(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 3),
                   MAKELPARAM(cursor.x, cursor.y));
    POINT after{};
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_LT(after.y, before.y) << "the pane scrolled up";
    EXPECT_EQ(::SendMessageW(form->MessageInput(), EM_GETFIRSTVISIBLELINE, 0, 0), boxLine) << "the box did not";

    // Elsewhere the wheel is the focused control's own.
    ::GetWindowRect(form->MessageInput(), &r);
    const POINT overBox{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::SetCursorPos(overBox.x, overBox.y);
    // Under X the pointer moves asynchronously.
    ASSERT_TRUE(wintest::PumpUntil([&] {
        POINT p{};
        ::GetCursorPos(&p);
        return p.x == overBox.x && p.y == overBox.y;
    }, 3000));
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
    ::SendMessageW(form->MessageInput(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3)), MAKELPARAM(r.left, r.top));
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.y, before.y);
}

TEST_F(TrayTest, ExitFromTheTrayMenuSavesTheLogAndEnds) {
    Open(true);
    form->ShowSystemMessage("последнее слово");
    const std::string folder = modSettings::LogsFolder;
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(2011, 0), 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
    form = nullptr;
    bool found = false;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(folder))) {
        const auto u8 = e.path().u8string();
        found = found || wintest::RtfFileText(std::string(u8.begin(), u8.end())).find("последнее слово") != std::string::npos;
    }
    EXPECT_TRUE(found);
}
