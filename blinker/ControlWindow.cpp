#include "ControlWindow.h"

#include <mutex>

#include "Module.h"

namespace flickon {

namespace {

constexpr wchar_t kClassName[] = L"FlickonControlWindow";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFaceTwips = 570;

// The class is registered while any control window exists and unregistered
// with the last one, so an unloaded library never leaves a class behind
// whose window procedure points nowhere.
std::mutex g_classLock;
int g_windows = 0;

bool AcquireClass(WNDPROC procedure) {
    std::lock_guard<std::mutex> lock(g_classLock);
    if (g_windows == 0) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = procedure;
        wc.hInstance = ModuleInstance();
        wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = kClassName;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    ++g_windows;
    return true;
}

void ReleaseClass() {
    std::lock_guard<std::mutex> lock(g_classLock);
    if (--g_windows == 0) ::UnregisterClassW(kClassName, ModuleInstance());
}

}  // namespace

ControlWindow::ControlWindow(Owner& owner, const wchar_t* faceBitmap) : owner_(owner) {
    face_.reset(::LoadImageW(ModuleInstance(), faceBitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    classAcquired_ = AcquireClass(&ControlWindow::WindowProc);
    if (classAcquired_)
        timer_.reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(),
                                       this));
    Create();
}

ControlWindow::~ControlWindow() {
    if (timer_) {
        ::KillTimer(timer_.get(), kTimerId);
        timer_.reset();
    }
    window_.reset();
    if (classAcquired_) ReleaseClass();
}

void ControlWindow::Create() {
    if (window_ || !classAcquired_) return;
    const SIZE size = FaceSizePixels();
    window_.reset(::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, size.cx, size.cy,
                                    HWND_MESSAGE, nullptr, ModuleInstance(), this));
}

SIZE ControlWindow::FaceSizePixels() {
    HDC screen = ::GetDC(nullptr);
    const int dpiX = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return SIZE{::MulDiv(kFaceTwips, dpiX, 1440), ::MulDiv(kFaceTwips, dpiY, 1440)};
}

void ControlWindow::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    ApplyTimer();
}

void ControlWindow::SetTimerInterval(UINT milliseconds) {
    interval_ = milliseconds;
    ApplyTimer();
}

void ControlWindow::ApplyTimer() {
    Create();  // again, if a container destroyed the face with its own window
    if (!timer_) return;
    // Setting the timer again restarts its period, as re-enabling a timer does.
    ::KillTimer(timer_.get(), kTimerId);
    if (timerEnabled_ && interval_ > 0) ::SetTimer(timer_.get(), kTimerId, interval_, nullptr);
}

void ControlWindow::ShowIn(HWND parent, POINT topLeft) {
    Create();
    if (!window_ || !parent) return;
    const SIZE size = FaceSizePixels();
    ::SetParent(window_.get(), parent);
    ::SetWindowPos(window_.get(), nullptr, topLeft.x, topLeft.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ControlWindow::MoveTo(POINT topLeft) {
    if (!window_) return;
    const SIZE size = FaceSizePixels();
    ::SetWindowPos(window_.get(), nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::Hide() {
    if (!window_) return;
    ::ShowWindow(window_.get(), SW_HIDE);
    ::SetParent(window_.get(), HWND_MESSAGE);
}

void ControlWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window_.get(), &ps);
    if (!dc) return;
    RECT client;
    ::GetClientRect(window_.get(), &client);
    BITMAP info{};
    HDC memory = ::CreateCompatibleDC(dc);
    if (memory && face_ && ::GetObjectW(face_.get(), sizeof info, &info)) {
        HGDIOBJ old = ::SelectObject(memory, face_.get());
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        ::SelectObject(memory, old);
    } else {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    if (memory) ::DeleteDC(memory);
    ::EndPaint(window_.get(), &ps);
}

LRESULT CALLBACK ControlWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ControlWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
            case WM_TIMER:
                if (wParam == kTimerId && self->timer_.get() == window) {
                    if (!self->timerEnabled_) return 0;  // a tick already due when the timer stopped
                    // The owner may be destroyed by its own tick (a host that
                    // releases the control in its event handler): touch
                    // nothing afterwards.
                    self->owner_.OnTick();
                    return 0;
                }
                break;
            case WM_PAINT:
                if (self->window_.get() == window) {
                    self->Paint();
                    return 0;
                }
                break;
            case WM_ERASEBKGND:
                return 1;
            case WM_NCDESTROY:
                ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                // Destroyed along with a container's window: forget the
                // handle, which Windows may soon give to another window.
                if (self->window_.get() == window) self->window_.release();
                break;
            default:
                break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace flickon
