#include "ucButton.h"

#include <commctrl.h>
#include <olectl.h>
#include <oleacc.h>
#include <windowsx.h>

#include <vector>

#include "app/support/win32/AccessibleName.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"

namespace support {
namespace {

constexpr char kSource[] = "ucButton";
constexpr size_t kMaxToolTip = 1024;  // UTF-16 units, the terminator included

MouseButton ButtonOf(UINT msg) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP: return MouseButton::Left;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP: return MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP: return MouseButton::Middle;
        default: return MouseButton::Other;
    }
}

// Creation parameters: whether the window took the object over (at WM_NCCREATE).
struct CreateParams {
    ucButton* object;
    bool adopted;
};

// OLE keeps handles in 32 bits; GDI handles fit and widen with sign extension.
HBITMAP BitmapOf(OLE_HANDLE handle) { return static_cast<HBITMAP>(LongToHandle(static_cast<LONG>(handle))); }

// The tool description the tooltip control knows the button by.
TTTOOLINFOW ToolOf(HWND button) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every comctl32 version
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = ::GetParent(button);
    info.uId = reinterpret_cast<UINT_PTR>(button);
    return info;
}

}  // namespace

ucButton* ucButton::Create(HWND parent, int id, int x, int y, int cx, int cy) {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;  // the second press of a double click is a click of its own
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    if (!atom) throw outside::LastError(kSource);
    // WM_NCCREATE hands the object to the window; from then on WM_NCDESTROY deletes it.
    CreateParams params{new ucButton, false};
    HWND hwnd = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, cx, cy, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), &params);
    if (!hwnd) {
        const DWORD error = ::GetLastError();
        if (!params.adopted) delete params.object;
        throw outside::Win32Error(error, kSource);
    }
    return params.object;
}

ucButton* ucButton::FromHandle(HWND window) {
    wchar_t name[64] = {};
    if (!window || !::GetClassNameW(window, name, 64) || std::wstring_view(name) != kClassName) return nullptr;
    return reinterpret_cast<ucButton*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void ucButton::SetPicture(outside::ComPtr<IPicture> picture) {
    if (designMode_)
        throw outside::RuntimeError(outside::kErrNotAtRunTime, "Установка не поддерживается во время разработки",
                                    kSource);
    int width = 0;
    int height = 0;
    if (picture) {
        SHORT type = PICTYPE_UNINITIALIZED;
        OLE_HANDLE handle = 0;
        BITMAP bitmap{};
        if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) ||
            !::GetObjectW(BitmapOf(handle), sizeof bitmap, &bitmap))
            throw outside::RuntimeError(outside::kErrInvalidCall,
                                        "Недопустимый вызов процедуры или аргумент: нужен растровый рисунок", kSource);
        width = bitmap.bmWidth;
        height = bitmap.bmHeight < 0 ? -bitmap.bmHeight : bitmap.bmHeight;
    }
    picture_ = std::move(picture);
    pictureWidth_ = width;
    pictureHeight_ = height;
}

void ucButton::ClickMe() {
    if (::IsWindowEnabled(hwnd_)) RaiseClick();
}

void ucButton::SetToolTip(const std::string& text) {
    if (!toolTip_) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
        if (!toolTip_) throw outside::LastError(kSource);
        TTTOOLINFOW info = ToolOf(hwnd_);
        std::wstring empty;
        info.lpszText = empty.data();
        if (!::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
            toolTip_.reset();
            throw outside::RuntimeError(outside::kErrInternal, "Не удалось добавить подсказку кнопке", kSource);
        }
    }
    std::wstring wide = outside::W(text);
    // ToolTip() reads the text back into a fixed buffer (older comctl32 takes no size).
    if (wide.size() >= kMaxToolTip) wide.resize(kMaxToolTip - 1);
    TTTOOLINFOW info = ToolOf(hwnd_);
    info.lpszText = wide.data();  // the control keeps a copy
    ::SendMessageW(toolTip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    SetCaption(outside::asTrimEx2(text, true, true, true, true));
}

void ucButton::SetCaption(const std::string& text) { ::SetWindowTextW(hwnd_, outside::W(text).c_str()); }

std::string ucButton::Caption() const {
    const int length = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd_, text.data(), length + 1)));
    return outside::U8(text);
}

std::string ucButton::ToolTip() const {
    if (!toolTip_) return {};
    std::vector<wchar_t> buffer(kMaxToolTip + 1);
    TTTOOLINFOW info = ToolOf(hwnd_);
    info.lpszText = buffer.data();
    ::SendMessageW(toolTip_.get(), TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return outside::U8(buffer.data());
}

LRESULT CALLBACK ucButton::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* params = static_cast<CreateParams*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        params->adopted = true;
        params->object->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(params->object));
    }
    auto* self = reinterpret_cast<ucButton*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete self;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure; a failed paint simply shows the old face.
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT ucButton::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SIZE:
            Redraw(false);
            return 0;
        case WM_SHOWWINDOW:
            if (wParam) Redraw(false);
            break;
        case WM_ERASEBKGND:
            return 1;  // the face covers everything
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // A host that lets the keyboard reach the button shows where the focus is.
            Redraw(mouse_.Pressed());
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = ::BeginPaint(hwnd_, &ps);
            if (dc) PaintFace(dc);
            ::EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintFace(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            const bool doubleClick = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
            ::SetCapture(hwnd_);
            React(mouse_.ButtonDown(ButtonOf(msg), doubleClick));
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            RECT client{};
            ::GetClientRect(hwnd_, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const MouseReaction reaction = mouse_.ButtonUp(ButtonOf(msg), ::PtInRect(&client, at) != FALSE);
            const bool othersHeld = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
            if (!othersHeld && ::GetCapture() == hwnd_) ::ReleaseCapture();
            React(reaction);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd_) React(mouse_.CaptureLost());
            return 0;
        case WM_CANCELMODE:
            if (::GetCapture() == hwnd_) ::ReleaseCapture();
            React(mouse_.CaptureLost());
            return 0;
        case BM_CLICK:
            ClickMe();
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT answer = support::AnswerGetObject(
                    hwnd_, wParam, lParam, {Caption(), ROLE_SYSTEM_PUSHBUTTON, true}))
                return answer;
            break;
        case WM_DESTROY:
            // The tooltip belongs to the top-level window, which may have destroyed it already.
            if (toolTip_ && !::IsWindow(toolTip_.get())) toolTip_.release();
            toolTip_.reset();
            break;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void ucButton::Redraw(bool pressed) {
    RenderFace(pressed);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    ::UpdateWindow(hwnd_);
}

void ucButton::RenderFace(bool pressed) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const SIZE size{client.right, client.bottom};
    HDC windowDc = ::GetDC(hwnd_);
    if (!windowDc) return;
    if (!face_ || size.cx != faceSize_.cx || size.cy != faceSize_.cy) {
        face_.reset(::CreateCompatibleBitmap(windowDc, size.cx > 0 ? size.cx : 1, size.cy > 0 ? size.cy : 1));
        faceSize_ = size;
    }
    HDC faceDc = ::CreateCompatibleDC(windowDc);
    ::ReleaseDC(hwnd_, windowDc);
    if (!faceDc || !face_) {
        if (faceDc) ::DeleteDC(faceDc);
        return;
    }
    HGDIOBJ oldFace = ::SelectObject(faceDc, face_.get());

    ::FillRect(faceDc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    OLE_HANDLE handle = 0;
    if (picture_ && SUCCEEDED(picture_->get_Handle(&handle)) && handle) {
        const PictureOrigin at = CentrePicture(size.cx, size.cy, pictureWidth_, pictureHeight_);
        HDC pictureDc = ::CreateCompatibleDC(faceDc);
        if (pictureDc) {
            HGDIOBJ oldPicture = ::SelectObject(pictureDc, BitmapOf(handle));
            ::BitBlt(faceDc, at.x, at.y, pictureWidth_, pictureHeight_, pictureDc, 0, 0, SRCCOPY);
            ::SelectObject(pictureDc, oldPicture);
            ::DeleteDC(pictureDc);
        }
    }
    ::DrawEdge(faceDc, &client, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (::GetFocus() == hwnd_) {
        RECT focus = client;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(faceDc, &focus);
    }

    ::SelectObject(faceDc, oldFace);
    ::DeleteDC(faceDc);
}

void ucButton::PaintFace(HDC dc) {
    if (!face_) RenderFace(mouse_.Pressed());
    if (!face_) return;
    HDC faceDc = ::CreateCompatibleDC(dc);
    if (!faceDc) return;
    HGDIOBJ old = ::SelectObject(faceDc, face_.get());
    ::BitBlt(dc, 0, 0, faceSize_.cx, faceSize_.cy, faceDc, 0, 0, SRCCOPY);
    ::SelectObject(faceDc, old);
    ::DeleteDC(faceDc);
}

void ucButton::React(const MouseReaction& reaction) {
    if (reaction.redraw) Redraw(reaction.pressed);
    if (reaction.click) RaiseClick();
}

void ucButton::RaiseClick() {
    // Last thing done: the parent's handler may destroy this button.
    HWND parent = ::GetParent(hwnd_);
    const int id = ::GetDlgCtrlID(hwnd_);
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd_));
}

}  // namespace support
