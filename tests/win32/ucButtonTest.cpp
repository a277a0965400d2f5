// The picture button as a real child window: picture rules and errors, the
// face read back pixel by pixel, the edge while pressed, clicks reaching the
// parent, and the tool tip.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "WindowTestSupport.h"
#include "app/support/win32/ucButton.h"
#include "outside/win32/Perchlet.h"
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
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = PatternAt(x, y);
            static_cast<uint32_t*>(bits)[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return outside::asGetBitmapFromHandle(bitmap);
}

// A parent window that records the clicks its buttons report (WM_COMMAND's wParam and lParam).
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
    // A button of the given size; a picture is set after creation, then made
    // visible by a resize, as a host does.
    ucButton* Button(int width = 40, int height = 40, ComPtr<IPicture> picture = nullptr) {
        ucButton* button = ucButton::Create(hwnd_, kButtonId, 10, 10, 1, 1);
        if (picture) button->SetPicture(std::move(picture));
        ::SetWindowPos(button->Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        return button;
    }
    // The clicks of button, each checked for its id, code and sender.
    size_t ClicksOf(const ucButton* button) const {
        for (const auto& [wParam, lParam] : commands)
            EXPECT_EQ(std::pair(wParam, lParam), std::pair(WPARAM{MAKEWPARAM(kButtonId, BN_CLICKED)},
                                                           reinterpret_cast<LPARAM>(button->Handle())));
        return commands.size();
    }
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    bool destroySender = false;  // the exit button's handler closes the window that holds it

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<Parent*>(data);
        if (msg == WM_COMMAND) self->commands.emplace_back(wParam, lParam);
        if (msg == WM_COMMAND && self->destroySender) ::DestroyWindow(reinterpret_cast<HWND>(lParam));
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

void Mouse(HWND button, UINT msg, int x = 20, int y = 20) { ::SendMessageW(button, msg, 0, MAKELPARAM(x, y)); }

// The edge's colours at the middle of its left, top, right and bottom sides.
std::array<COLORREF, 4> Edge(const wintest::Pixels& face) {
    return {face.Rgb(0, 20), face.Rgb(20, 0), face.Rgb(39, 20), face.Rgb(20, 39)};
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
    const ComPtr<IPicture> icon = outside::asLoadResTrayIcon("IDI_TRAY_0");
    ASSERT_TRUE(bitmap);
    ASSERT_TRUE(icon);
    const auto expectError = [&](const ComPtr<IPicture>& picture, long number) {
        const ComPtr<IPicture> before = button->Picture();
        const std::pair size{button->PictureWidth(), button->PictureHeight()};
        EXPECT_EQ(testsupport::ErrorOf([&] { button->SetPicture(picture); }).Number(), number);
        EXPECT_EQ(button->Picture().get(), before.get());
        EXPECT_EQ(std::pair(button->PictureWidth(), button->PictureHeight()), size);
    };
    button->SetDesignMode(true);
    expectError(bitmap, 383);
    expectError(nullptr, 383);
    button->SetDesignMode(false);
    expectError(icon, 5);

    button->SetPicture(bitmap);
    EXPECT_EQ(button->Picture().get(), bitmap.get());
    EXPECT_EQ(std::pair(button->PictureWidth(), button->PictureHeight()), std::pair(30, 20));
    expectError(icon, 5);  // the bitmap stays
    button->SetDesignMode(true);
    expectError(nullptr, 383);
    button->SetDesignMode(false);

    button->SetPicture(nullptr);
    EXPECT_FALSE(button->Picture());
    EXPECT_EQ(std::pair(button->PictureWidth(), button->PictureHeight()), std::pair(0, 0));
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
        ucButton* button = parent.Button(c.buttonW, c.buttonH, PatternPicture(c.pictureW, c.pictureH));
        const wintest::Pixels got = wintest::PrintedClient(button->Handle());
        ASSERT_EQ(std::pair(got.width, got.height), std::pair(c.buttonW, c.buttonH));
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

TEST(ucButton, EdgeSinksWhileAnyMouseButtonIsDownAndANewPictureShowsFromTheNextPress) {
    Parent parent;
    ucButton* button = parent.Button(40, 40, PatternPicture(32, 32));
    HWND hwnd = button->Handle();
    const COLORREF light = ::GetSysColor(COLOR_3DLIGHT), dark = ::GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(light, shadow);
    ASSERT_NE(dark, highlight);
    const wintest::Pixels raised = wintest::PrintedClient(hwnd);
    EXPECT_EQ(Edge(raised), (std::array{light, light, dark, dark}));

    for (const auto& [down, up] : {std::pair{WM_LBUTTONDOWN, WM_LBUTTONUP}, {WM_RBUTTONDOWN, WM_RBUTTONUP},
                                   {WM_MBUTTONDOWN, WM_MBUTTONUP}}) {
        SCOPED_TRACE(down);
        Mouse(hwnd, down);
        EXPECT_TRUE(button->Pressed());
        const wintest::Pixels sunken = wintest::PrintedClient(hwnd);
        EXPECT_EQ(Edge(sunken), (std::array{shadow, shadow, highlight, highlight}));
        // The picture itself does not move while pressed.
        for (int y = 2; y < 38; ++y)
            for (int x = 2; x < 38; ++x) ASSERT_EQ(sunken.Rgb(x, y), raised.Rgb(x, y)) << x << "," << y;
        Mouse(hwnd, up);
        EXPECT_FALSE(button->Pressed());
        EXPECT_EQ(wintest::PrintedClient(hwnd), raised);
    }

    // The window's own painting shows the same face: read it from the screen.
    Mouse(hwnd, WM_LBUTTONDOWN);
    ::RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 0, 20), shadow);
    EXPECT_EQ(::GetPixel(dc, 20, 20), PatternAt(16, 16));
    ::ReleaseDC(hwnd, dc);
    Mouse(hwnd, WM_LBUTTONUP);

    // A new picture is not painted at once, only from the next press (or resize).
    button->SetPicture(PatternPicture(8, 8));  // centred at 16..23: the button's centre is its pixel 4,4
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(20, 20), PatternAt(16, 16)) << "repainted at once";
    Mouse(hwnd, WM_LBUTTONDOWN);
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(20, 20), PatternAt(4, 4));
    Mouse(hwnd, WM_LBUTTONUP);
    button->SetPicture(nullptr);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 44, 44, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(wintest::PrintedClient(hwnd).Rgb(22, 22), ::GetSysColor(COLOR_BTNFACE));
}

TEST(ucButton, ClicksReachTheParentAndAnInterruptedPressRaisesTheFaceWithoutOne) {
    using Step = std::function<void(ucButton&, HWND parent)>;
    const auto mouse = [](UINT msg, int x = 5) { return Step([=](ucButton& b, HWND) { Mouse(b.Handle(), msg, x, 5); }); };
    const Step down = mouse(WM_LBUTTONDOWN), up = mouse(WM_LBUTTONUP);
    const Step disable = [](ucButton& b, HWND) { ::EnableWindow(b.Handle(), FALSE); };
    const Step clickMe = [](ucButton& b, HWND) { b.ClickMe(); };
    // Say, a dialog opened by a hot key takes the capture.
    const Step captureTaken = [](ucButton&, HWND parent) {
        ::SetCapture(parent);
        ::ReleaseCapture();
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        size_t clicks;
    } cases[] = {
        {"click", {down, mouse(WM_LBUTTONUP, 6)}, 1},
        {"double click gives two", {down, up, mouse(WM_LBUTTONDBLCLK), up}, 2},
        {"released outside", {down, mouse(WM_LBUTTONUP, 200)}, 0},
        {"right button", {mouse(WM_RBUTTONDOWN), mouse(WM_RBUTTONUP)}, 0},
        {"ClickMe", {clickMe}, 1},
        {"ClickMe while disabled", {disable, clickMe}, 0},
        {"BM_CLICK", {mouse(BM_CLICK)}, 1},
        {"BM_CLICK while disabled", {disable, mouse(BM_CLICK)}, 0},
        {"capture taken away", {down, captureTaken, up}, 0},
        {"disabled while held", {down, disable}, 0},
    };
    const wintest::Pixels raised = [] {
        Parent parent;
        return wintest::PrintedClient(parent.Button()->Handle());
    }();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parent parent;
        ucButton* button = parent.Button();
        for (const Step& step : c.steps) step(*button, parent.Handle());
        EXPECT_EQ(parent.ClicksOf(button), c.clicks);
        EXPECT_FALSE(button->Pressed());
        EXPECT_NE(::GetCapture(), button->Handle());
        EXPECT_EQ(wintest::PrintedClient(button->Handle()), raised) << "the face is raised";
    }
    // Releasing one mouse button while another is held keeps the capture.
    Parent parent;
    HWND hwnd = parent.Button()->Handle();
    Mouse(hwnd, WM_LBUTTONDOWN);
    Mouse(hwnd, WM_RBUTTONDOWN);
    ::SendMessageW(hwnd, WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(::GetCapture(), hwnd);
    Mouse(hwnd, WM_LBUTTONUP);
    EXPECT_NE(::GetCapture(), hwnd);
}

TEST(ucButton, ClickHandlerMayDestroyTheButton) {
    Parent parent;
    parent.destroySender = true;
    HWND hwnd = parent.Button()->Handle();
    Mouse(hwnd, WM_LBUTTONDOWN);
    Mouse(hwnd, WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(ucButton::FromHandle(hwnd), nullptr);
}

TEST(ucButton, TipOrCaptionNamesItForAssistiveTechnologyAndItsDefaultActionPressesIt) {
    Parent parent;
    ucButton* button = parent.Button();
    HWND hwnd = button->Handle();
    wintest::AccessibleClient read = wintest::ReadAccessible(hwnd);
    ASSERT_TRUE(read.found);
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(read.name, "");
    EXPECT_EQ(read.defaultAction, "Нажать");
    EXPECT_EQ(button->ToolTip(), "");

    // The tip names it without its surrounding blanks; the tip keeps them.
    button->SetToolTip(" Выход (Shift+Esc) ");
    HWND tip = button->ToolTipWindow();
    ASSERT_TRUE(::IsWindow(tip));
    EXPECT_EQ(button->ToolTip(), " Выход (Shift+Esc) ");
    EXPECT_EQ(button->Caption(), "Выход (Shift+Esc)");
    EXPECT_EQ(wintest::ReadAccessible(hwnd).name, "Выход (Shift+Esc)");
    button->SetToolTip("Настройки этого чата");
    EXPECT_EQ(button->ToolTip(), "Настройки этого чата");
    EXPECT_EQ(button->ToolTipWindow(), tip);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    // A caption given later names it too.
    button->SetCaption("Открыть файл чата");
    read = wintest::ReadAccessible(hwnd);
    EXPECT_EQ(read.name, "Открыть файл чата");
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);

    // The default action presses it, after the call has returned; never while disabled.
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        parent.commands.clear();
        ::EnableWindow(hwnd, enabled);
        ASSERT_TRUE(wintest::DoAccessibleDefaultAction(hwnd));
        EXPECT_TRUE(parent.commands.empty()) << "posted, not sent";
        wintest::PumpFor(200);
        EXPECT_EQ(parent.ClicksOf(button), enabled ? 1u : 0u);
    }
    ::DestroyWindow(hwnd);
    EXPECT_FALSE(::IsWindow(tip)) << "the tip goes with the button";
}
