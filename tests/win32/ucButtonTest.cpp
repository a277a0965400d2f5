// The picture button as a real child window: the wiring of PictureButtonLogic
// to paint, capture, clicks and what a screen reader sees.
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
    // A picture is set after creation, then made visible by a resize, as a host does.
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

void Mouse(HWND button, UINT msg, int x = 5, int y = 5) { ::SendMessageW(button, msg, 0, MAKELPARAM(x, y)); }

}  // namespace

TEST(ucButton, PictureRulesAndErrorsChangeNothingOnFailure) {
    Parent parent;
    ucButton* button = parent.Button();
    EXPECT_EQ(ucButton::FromHandle(button->Handle()), button);
    const ComPtr<IPicture> bitmap = PatternPicture(30, 20);
    const ComPtr<IPicture> icon = outside::asLoadResTrayIcon("IDI_TRAY_0");
    ASSERT_TRUE(bitmap && icon);
    // No picture at all in design mode; only bitmaps at run time.
    const struct {
        bool designMode;
        ComPtr<IPicture> picture;
        long error;
    } steps[] = {{true, bitmap, 383}, {false, icon, 5},     {false, bitmap, 0},
                 {false, icon, 5},    {true, nullptr, 383}, {false, nullptr, 0}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const auto& s = steps[i];
        button->SetDesignMode(s.designMode);
        const ComPtr<IPicture> before = s.error ? button->Picture() : s.picture;
        const std::pair size = !s.error ? std::pair(s.picture ? 30 : 0, s.picture ? 20 : 0)
                                        : std::pair(button->PictureWidth(), button->PictureHeight());
        EXPECT_EQ(testsupport::ErrorOf([&] { button->SetPicture(s.picture); }).Number(), s.error);
        EXPECT_EQ(button->Picture().get(), before.get());
        EXPECT_EQ(std::pair(button->PictureWidth(), button->PictureHeight()), size);
    }
}

// The picture centred on the button face (the arithmetic and its clipping are
// PictureButtonLogic's) within an edge that sinks while any mouse button is
// down; the picture itself does not move.
TEST(ucButton, FaceIsThePictureCentredInAnEdgeThatSinksWhilePressed) {
    const COLORREF light = ::GetSysColor(COLOR_3DLIGHT), dark = ::GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_TRUE(light != shadow && dark != highlight);
    Parent parent;
    const HWND hwnd = parent.Button(41, 43, PatternPicture(32, 32))->Handle();
    // The middle of the edge's left, top, right and bottom sides.
    const auto edge = [](const wintest::Pixels& p) {
        return std::array{p.Rgb(0, 21), p.Rgb(20, 0), p.Rgb(40, 21), p.Rgb(20, 42)};
    };
    const wintest::Pixels raised = wintest::PrintedClient(hwnd);
    ASSERT_EQ(std::pair(raised.width, raised.height), std::pair(41, 43));
    EXPECT_EQ(edge(raised), (std::array{light, light, dark, dark}));
    int mismatches = 0;
    for (int y = 2; y < 41; ++y)
        for (int x = 2; x < 39; ++x) {
            const int px = x - 4, py = y - 5;  // 4 spare pixels left and 5 above
            const bool onPicture = px >= 0 && py >= 0 && px < 32 && py < 32;
            const COLORREF want = onPicture ? PatternAt(px, py) : ::GetSysColor(COLOR_BTNFACE);
            if (raised.Rgb(x, y) != want && ++mismatches <= 3)
                ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << raised.Rgb(x, y) << " not " << want;
        }
    EXPECT_EQ(mismatches, 0);
    for (const auto& [down, up] : {std::pair{WM_LBUTTONDOWN, WM_LBUTTONUP}, {WM_RBUTTONDOWN, WM_RBUTTONUP},
                                   {WM_MBUTTONDOWN, WM_MBUTTONUP}}) {
        SCOPED_TRACE(down);
        Mouse(hwnd, down);
        const wintest::Pixels sunken = wintest::PrintedClient(hwnd);
        EXPECT_EQ(edge(sunken), (std::array{shadow, shadow, highlight, highlight}));
        for (int y = 2; y < 41; ++y)
            for (int x = 2; x < 39; ++x) ASSERT_EQ(sunken.Rgb(x, y), raised.Rgb(x, y)) << x << "," << y;
        Mouse(hwnd, up);
        EXPECT_EQ(wintest::PrintedClient(hwnd), raised);
    }
}

TEST(ucButton, ItsOwnPaintingDrawsTheFaceOnTheScreen) {
    Parent parent;
    HWND hwnd = parent.Button(40, 40, PatternPicture(32, 32))->Handle();
    Mouse(hwnd, WM_LBUTTONDOWN);
    ::RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 0, 20), ::GetSysColor(COLOR_BTNSHADOW)) << "read from the screen";
    EXPECT_EQ(::GetPixel(dc, 20, 20), PatternAt(16, 16));
    ::ReleaseDC(hwnd, dc);
}

TEST(ucButton, ClicksReachTheParentAndAnInterruptedPressRaisesTheFaceWithoutOne) {
    using Step = std::function<void(ucButton&, HWND parent)>;
    const auto mouse = [](UINT msg, int x = 5) { return Step([=](ucButton& b, HWND) { Mouse(b.Handle(), msg, x); }); };
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parent parent;
        ucButton* button = parent.Button();
        for (const Step& step : c.steps) step(*button, parent.Handle());
        EXPECT_EQ(parent.ClicksOf(button), c.clicks);
        EXPECT_FALSE(button->Pressed());
        EXPECT_NE(::GetCapture(), button->Handle());
    }
    // Releasing one mouse button while another is held keeps the capture.
    Parent parent;
    HWND hwnd = parent.Button()->Handle();
    Mouse(hwnd, WM_LBUTTONDOWN);
    Mouse(hwnd, WM_RBUTTONDOWN);
    ::SendMessageW(hwnd, WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(::GetCapture(), hwnd);
    // The exit button's handler may destroy the button it came from.
    parent.destroySender = true;
    Mouse(hwnd, WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(ucButton::FromHandle(hwnd), nullptr);
    EXPECT_NE(::GetCapture(), hwnd);
}

TEST(ucButton, TipOrCaptionNamesItForAssistiveTechnologyAndItsDefaultActionPressesIt) {
    Parent parent;
    ucButton* button = parent.Button();
    HWND hwnd = button->Handle();
    // The tip names it without its surrounding blanks; the tip keeps them.
    button->SetToolTip(" Выход (Shift+Esc) ");
    HWND tip = button->ToolTipWindow();
    ASSERT_TRUE(::IsWindow(tip));
    wintest::AccessibleClient read = wintest::ReadAccessible(hwnd);
    EXPECT_EQ(read.name, "Выход (Shift+Esc)");
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(read.defaultAction, "Нажать");
    button->SetToolTip("Настройки этого чата");
    EXPECT_EQ(button->ToolTipWindow(), tip);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    button->SetCaption("Открыть файл чата");
    EXPECT_EQ(wintest::ReadAccessible(hwnd).name, "Открыть файл чата") << "a caption given later";

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
