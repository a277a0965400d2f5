#include "StandInWindow.h"

#include "outside/win32/Wide.h"
#include "outside/win32/WindowSupport.h"

namespace startup {
namespace {

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

HWND ShowStandInWindow(const std::string& caption) {
    static const wchar_t kClass[] = L"QuilletStandIn";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
    HWND hwnd = ::CreateWindowExW(0, kClass, outside::W(caption).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 320, outside::esGetThunderMainHandle(), nullptr, wc.hInstance,
                                  nullptr);
    if (hwnd) {
        outside::esCenterFormEx(hwnd);
        ::ShowWindow(hwnd, SW_SHOW);
    }
    return hwnd;
}

}  // namespace startup
