#include "WindowSupport.h"

#include <shellapi.h>

#include "../ProductIdentity.h"
#include "../Support.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

constexpr wchar_t kOwnerClass[] = L"QuilletOwnerWindow";

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

int Scaled(int twipsPerInchAxis) {
    HDC dc = ::GetDC(nullptr);
    const int dpi = dc ? ::GetDeviceCaps(dc, twipsPerInchAxis) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return dpi > 0 ? 1440 / dpi : 15;
}

}  // namespace

HWND esGetThunderMainHandle() {
    static HWND owner = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kOwnerClass;
        ::RegisterClassExW(&wc);
        // A plain popup that is never shown: it carries the program's icon and owns its windows.
        return ::CreateWindowExW(0, kOwnerClass, W(TheProductIdentity().title).c_str(), WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return owner;
}

void asSetWindowResIconAll(HWND window, const std::string& resourceName) {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    const std::wstring name = W(resourceName);
    // Shared icons from LoadImage(LR_SHARED) live as long as the module; nothing to free.
    const auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(::LoadImageW(module, name.c_str(), IMAGE_ICON, ::GetSystemMetrics(metricX),
                                                ::GetSystemMetrics(metricY), LR_SHARED));
    };
    HICON big = load(SM_CXICON, SM_CYICON);
    HICON small = load(SM_CXSMICON, SM_CYSMICON);
    if (!big && !small) throw LastError(resourceName);
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void asSetWindowIconSmall(HWND window, HICON icon) {
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void esCenterFormEx(HWND window, int) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    const int x = work.left + ((work.right - work.left) - w) / 2;
    const int y = work.top + ((work.bottom - work.top) - h) / 2;
    ::SetWindowPos(window, nullptr, x < work.left ? work.left : x, y < work.top ? work.top : y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void esUnloadForm(HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void esSetWindowTransparecny(HWND window, int percent, bool) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (percent >= 100) {
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(percent * 255 / 100), LWA_ALPHA);
}

void esTextBox_SelectAll(HWND edit) { ::SendMessageW(edit, EM_SETSEL, 0, -1); }

bool esIsKeyPressed(int virtualKey) { return (::GetKeyState(virtualKey) & 0x8000) != 0; }

bool esIsHostWinNT() { return true; }

int esScreenTwipsPerPixelX() { return Scaled(LOGPIXELSX); }
int esScreenTwipsPerPixelY() { return Scaled(LOGPIXELSY); }

void asDebugPrint(const std::string& text) { ::OutputDebugStringW(W(text + "\r\n").c_str()); }

void esFixUserControlsContainerWindow() {}

void esOpenReadMeFile(int) {
    const std::string exe = esGetModuleFileName();
    const std::string readMe = esBuildFileName2(esGetFilePath(exe), esGetFileName(exe, true) + ".ReadMe.html");
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", W(readMe).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) throw Win32Error(result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : ERROR_FILE_NOT_FOUND, readMe);
}

void ShowAbout(HWND owner, const std::string& caption, const std::string& text) {
    const std::wstring wideCaption = W(caption);
    const std::wstring wideText = W(text);
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.hInstance = ::GetModuleHandleW(nullptr);
    params.lpszText = wideText.c_str();
    params.lpszCaption = wideCaption.c_str();
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = L"A_MAIN";
    ::MessageBoxIndirectW(&params);
}

int GetOptionIndex(std::span<const HWND> options) {
    for (size_t i = 0; i < options.size(); ++i)
        if (::SendMessageW(options[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

void SetOptionIndex(std::span<const HWND> options, int index) {
    for (size_t i = 0; i < options.size(); ++i)
        ::SendMessageW(options[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace outside
