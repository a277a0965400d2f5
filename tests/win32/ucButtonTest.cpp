// The picture button as a real child window: picture rules and errors, the
// face read back pixel by pixel, the edge while pressed, clicks reaching the
// parent, and the tool tip.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QuilletProcess.h"
#include "WindowTestSupport.h"
#include "app/support/win32/ucButton.h"
#include "outside/win32/PictureSupport.h"
#include "support/Errors.h"

using support::ucButton;
using outside::ComPtr;

namespace {

constexpr int kButtonId = 4711;

// Colour of picture pixel (x, y): different for every pixel of a picture up to 60 x 60.
COLORREF PatternAt(int x, int y) { return RGB(x * 4 + 3, y * 4 + 3, 77); }

// A bitmap picture whose every pixel is PatternAt.
ComPtr<IPicture> PatternPicture(int width, int height) {
    BITMAPINFO bi = wintest::Dib32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* px = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = PatternAt(x, y);
            px[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return outside::asGetBitmapFromHandle(bitmap);
}

ComPtr<IPicture> IconPicture() {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = ::LoadIconW(nullptr, IDI_APPLICATION);
    ComPtr<IPicture> picture;
    ::OleCreatePictureIndirect(&desc, IID_IPicture, FALSE, picture.put_void());
    return picture;
}

// A parent window that records the clicks its buttons report.
class Parent {
public:
    Parent()
        : hwnd_(::CreateWindowExW(0, L"Static", L"ucButton", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr)) {
        ::SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~Parent() { ::DestroyWindow(hwnd_); }
    Parent(const Parent&) = delete;
    Parent& operator=(const Parent&) = delete;
    HWND Handle() const { return hwnd_; }

    struct Command {
        int id;
        int code;
        HWND from;
    };
    std::vector<Command> commands;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
        if (msg == WM_COMMAND)
            reinterpret_cast<Parent*>(self)->commands.push_back(
                {LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

// A button of the given size showing the picture (set after creation, then
// made visible by a resize, as a host does).
ucButton* ButtonWithPicture(const Parent& parent, int width, int height, ComPtr<IPicture> picture) {
    ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 1, 1);
    button->SetPicture(std::move(picture));
    ::SetWindowPos(button->Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    return button;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

LRESULT CALLBACK DestroySenderOnCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_COMMAND) ::DestroyWindow(reinterpret_cast<HWND>(lParam));
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(ucButton, PictureRulesAndErrorsChangeNothingOnFailure) {
    Parent parent;
    ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 40, 40);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(ucButton::FromHandle(button->Handle()), button);
    EXPECT_FALSE(button->Picture());
    EXPECT_EQ(button->PictureWidth(), 0);

    const ComPtr<IPicture> bitmap = PatternPicture(30, 20);
    const ComPtr<IPicture> icon = IconPicture();
    ASSERT_TRUE(bitmap);
    ASSERT_TRUE(icon);

    const auto expectError = [&](const ComPtr<IPicture>& picture, long number) {
        const ComPtr<IPicture> before = button->Picture();
        const int width = button->PictureWidth();
        const int height = button->PictureHeight();
        EXPECT_EQ(testsupport::ErrorOf([&] { button->SetPicture(picture); }).Number(), number);
        EXPECT_EQ(button->Picture().get(), before.get());
        EXPECT_EQ(button->PictureWidth(), width);
        EXPECT_EQ(button->PictureHeight(), height);
    };

    button->SetDesignMode(true);
    expectError(bitmap, 383);
    expectError(nullptr, 383);
    button->SetDesignMode(false);
    expectError(icon, 5);

    button->SetPicture(bitmap);
    EXPECT_EQ(button->Picture().get(), bitmap.get());
    EXPECT_EQ(button->PictureWidth(), 30);
    EXPECT_EQ(button->PictureHeight(), 20);
    expectError(icon, 5);  // the bitmap stays
    button->SetDesignMode(true);
    expectError(nullptr, 383);
    button->SetDesignMode(false);

    button->SetPicture(nullptr);
    EXPECT_FALSE(button->Picture());
    EXPECT_EQ(button->PictureWidth(), 0);
    EXPECT_EQ(button->PictureHeight(), 0);
}

TEST(ucButton, PictureIsDrawnCentredAndClipped) {
    const struct {
        int buttonW, buttonH, pictureW, pictureH;
        int left, top;  // where the picture's top-left pixel lands
    } cases[] = {
        {40, 40, 32, 32, 4, 4},
        {41, 43, 32, 32, 4, 5},    // odd differences: the spare pixel right and bottom
        {20, 24, 32, 32, -6, -4},  // larger than the button: clipped on all sides
        {21, 23, 32, 32, -5, -4},
        {36, 30, 10, 5, 13, 12},
    };
    Parent parent;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.buttonW) + "x" + std::to_string(c.buttonH) + " with " +
                     std::to_string(c.pictureW) + "x" + std::to_string(c.pictureH));
        ucButton* button = ButtonWithPicture(parent, c.buttonW, c.buttonH, PatternPicture(c.pictureW, c.pictureH));
        const wintest::Pixels got = wintest::PrintedClient(button->Handle());
        ASSERT_EQ(got.width, c.buttonW);
        ASSERT_EQ(got.height, c.buttonH);
        int mismatches = 0;
        // Inside the two-pixel edge: the picture where it lies, the button face elsewhere.
        for (int y = 2; y < c.buttonH - 2; ++y)
            for (int x = 2; x < c.buttonW - 2; ++x) {
                const int px = x - c.left;
                const int py = y - c.top;
                const bool onPicture = px >= 0 && py >= 0 && px < c.pictureW && py < c.pictureH;
                const COLORREF want = onPicture ? PatternAt(px, py) : face;
                if (got.Rgb(x, y) != want && ++mismatches <= 3)
                    ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << got.Rgb(x, y) << " not " << want;
            }
        EXPECT_EQ(mismatches, 0);
        ::DestroyWindow(button->Handle());
    }
}

TEST(ucButton, EdgeSinksWhileAnyMouseButtonIsDown) {
    Parent parent;
    ucButton* button = ButtonWithPicture(parent, 40, 40, PatternPicture(32, 32));
    HWND hwnd = button->Handle();
    const COLORREF raisedTopLeft = ::GetSysColor(COLOR_3DLIGHT);
    const COLORREF raisedBottomRight = ::GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF sunkenTopLeft = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF sunkenBottomRight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(raisedTopLeft, sunkenTopLeft);
    ASSERT_NE(raisedBottomRight, sunkenBottomRight);

    const wintest::Pixels raised = wintest::PrintedClient(hwnd);
    EXPECT_EQ(raised.Rgb(0, 20), raisedTopLeft);
    EXPECT_EQ(raised.Rgb(20, 0), raisedTopLeft);
    EXPECT_EQ(raised.Rgb(39, 20), raisedBottomRight);
    EXPECT_EQ(raised.Rgb(20, 39), raisedBottomRight);

    const struct {
        UINT down, up;
        const char* name;
    } buttons[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, "left"},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, "right"},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, "middle"},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        ::SendMessageW(hwnd, b.down, 0, At(20, 20));
        EXPECT_TRUE(button->Pressed());
        const wintest::Pixels sunken = wintest::PrintedClient(hwnd);
        EXPECT_EQ(sunken.Rgb(0, 20), sunkenTopLeft);
        EXPECT_EQ(sunken.Rgb(20, 0), sunkenTopLeft);
        EXPECT_EQ(sunken.Rgb(39, 20), sunkenBottomRight);
        EXPECT_EQ(sunken.Rgb(20, 39), sunkenBottomRight);
        // The picture itself does not move while pressed.
        for (int y = 2; y < 38; ++y)
            for (int x = 2; x < 38; ++x) ASSERT_EQ(sunken.Rgb(x, y), raised.Rgb(x, y)) << x << "," << y;

        ::SendMessageW(hwnd, b.up, 0, At(20, 20));
        EXPECT_FALSE(button->Pressed());
        EXPECT_EQ(wintest::PrintedClient(hwnd), raised);
    }

    // The window's own painting shows the same face: read it from the screen.
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, 0, At(20, 20));
    ::RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 0, 20), sunkenTopLeft);
    EXPECT_EQ(::GetPixel(dc, 20, 20), PatternAt(16, 16));
    ::ReleaseDC(hwnd, dc);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(20, 20));
}

TEST(ucButton, NewPictureShowsFromTheNextResizeOrPress) {
    Parent parent;
    ucButton* button = ButtonWithPicture(parent, 40, 40, PatternPicture(32, 32));
    HWND hwnd = button->Handle();
    const COLORREF oldCentre = wintest::PrintedClient(hwnd).Rgb(20, 20);
    EXPECT_EQ(oldCentre, PatternAt(16, 16));

    button->SetPicture(PatternPicture(8, 8));  // centred at 16..23: the button's centre is its pixel 4,4
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(20, 20), oldCentre) << "repainted at once";

    ::SendMessageW(hwnd, WM_LBUTTONDOWN, 0, At(20, 20));
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(20, 20), PatternAt(4, 4));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(20, 20));

    button->SetPicture(nullptr);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 44, 44, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(22, 22), ::GetSysColor(COLOR_BTNFACE));
}

TEST(ucButton, ClicksReachTheParent) {
    using Messages = std::vector<std::pair<UINT, LPARAM>>;
    const struct {
        const char* name;
        Messages messages;
        bool disabled;
        bool clickMe;
        int clicks;
    } cases[] = {
        {"click", {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(6, 6)}}, false, false, 1},
        {"double click gives two",
         {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(5, 5)}, {WM_LBUTTONDBLCLK, At(5, 5)}, {WM_LBUTTONUP, At(5, 5)}},
         false, false, 2},
        {"released outside", {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(200, 5)}}, false, false, 0},
        {"right button", {{WM_RBUTTONDOWN, At(5, 5)}, {WM_RBUTTONUP, At(5, 5)}}, false, false, 0},
        {"ClickMe", {}, false, true, 1},
        {"ClickMe while disabled", {}, true, true, 0},
        {"BM_CLICK", {{BM_CLICK, 0}}, false, false, 1},
        {"BM_CLICK while disabled", {{BM_CLICK, 0}}, true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parent parent;
        ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 40, 40);
        if (c.disabled) ::EnableWindow(button->Handle(), FALSE);
        for (const auto& [msg, where] : c.messages) ::SendMessageW(button->Handle(), msg, 0, where);
        if (c.clickMe) button->ClickMe();
        ASSERT_EQ(static_cast<int>(parent.commands.size()), c.clicks);
        for (const auto& command : parent.commands) {
            EXPECT_EQ(command.id, kButtonId);
            EXPECT_EQ(command.code, BN_CLICKED);
            EXPECT_EQ(command.from, button->Handle());
        }
        EXPECT_FALSE(button->Pressed());
        EXPECT_NE(::GetCapture(), button->Handle());
    }
}

TEST(ucButton, LosingTheMouseCaptureRaisesTheFaceAndCancelsTheClick) {
    Parent parent;
    ucButton* button = ButtonWithPicture(parent, 40, 40, PatternPicture(32, 32));
    HWND hwnd = button->Handle();
    const wintest::Pixels raised = wintest::PrintedClient(hwnd);

    ::SendMessageW(hwnd, WM_LBUTTONDOWN, 0, At(5, 5));
    EXPECT_EQ(::GetCapture(), hwnd);
    ::SetCapture(parent.Handle());  // say, a dialog opened by a hot key
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(wintest::PrintedClient(hwnd), raised);
    ::ReleaseCapture();
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_TRUE(parent.commands.empty());

    // Disabled while held.
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, 0, At(5, 5));
    ::EnableWindow(hwnd, FALSE);
    EXPECT_FALSE(button->Pressed());
    EXPECT_NE(::GetCapture(), hwnd);
    EXPECT_EQ(wintest::PrintedClient(hwnd), raised);
    EXPECT_TRUE(parent.commands.empty());
}

TEST(ucButton, ClickHandlerMayDestroyTheButton) {
    // The exit button's handler closes the window that holds it.
    Parent parent;
    ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 40, 40);
    HWND hwnd = button->Handle();
    ::SetWindowSubclass(parent.Handle(), DestroySenderOnCommand, 1, 0);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, 0, At(5, 5));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(ucButton::FromHandle(hwnd), nullptr);
}

TEST(ucButton, ToolTipCarriesCyrillicTextAndGoesWithTheButton) {
    Parent parent;
    ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 40, 40);
    EXPECT_EQ(button->ToolTip(), "");
    button->SetToolTip("Настройки этого чата");
    HWND tip = button->ToolTipWindow();
    ASSERT_TRUE(::IsWindow(tip));
    EXPECT_EQ(button->ToolTip(), "Настройки этого чата");
    button->SetToolTip("Выход (Shift+Esc)");
    EXPECT_EQ(button->ToolTip(), "Выход (Shift+Esc)");
    EXPECT_EQ(button->ToolTipWindow(), tip);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    ::DestroyWindow(button->Handle());
    EXPECT_FALSE(::IsWindow(tip));
}

TEST(ucButton, NamedForAssistiveTechnologyByItsTipOrCaptionAndPressedByItsDefaultAction) {
    Parent parent;
    ucButton* button = ucButton::Create(parent.Handle(), kButtonId, 10, 10, 40, 40);
    wintest::AccessibleClient read = wintest::ReadAccessible(button->Handle());
    ASSERT_TRUE(read.found);
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(read.name, "");
    EXPECT_EQ(read.defaultAction, "Нажать");

    // The tip names it without its surrounding blanks; the tip keeps them.
    button->SetToolTip(" Выход (Shift+Esc) ");
    EXPECT_EQ(wintest::WindowCaption(button->Handle()), "Выход (Shift+Esc)");
    EXPECT_EQ(wintest::ReadAccessible(button->Handle()).name, "Выход (Shift+Esc)");
    EXPECT_EQ(button->ToolTip(), " Выход (Shift+Esc) ");
    // A button without a tip is named by its caption.
    button->SetCaption("Открыть файл чата");
    read = wintest::ReadAccessible(button->Handle());
    EXPECT_EQ(read.name, "Открыть файл чата");
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(button->Caption(), "Открыть файл чата");

    // The default action presses it, after the call has returned; never while disabled.
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        parent.commands.clear();
        ::EnableWindow(button->Handle(), enabled);
        ASSERT_TRUE(wintest::DoAccessibleDefaultAction(button->Handle()));
        EXPECT_TRUE(parent.commands.empty()) << "posted, not sent";
        wintest::PumpFor(200);
        EXPECT_EQ(parent.commands.size(), enabled ? 1u : 0u);
    }
}
