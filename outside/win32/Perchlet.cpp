#include "Perchlet.h"

#include <olectl.h>
#include <shellapi.h>

#include <iterator>

#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

constexpr wchar_t kClass[] = L"QuilletTrayIconWindow";
constexpr UINT kIconId = 1;

}  // namespace

Perchlet::Perchlet() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
    window_.reset(::CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, this));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
}

Perchlet::~Perchlet() {
    if (added_) Notify(NIM_DELETE);
    if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

HICON Perchlet::IconHandle() const {
    if (!icon_) return nullptr;
    OLE_HANDLE handle = 0;
    icon_->get_Handle(&handle);
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

bool Perchlet::Notify(DWORD action, const NOTIFYICONDATAW* balloon) {
    NOTIFYICONDATAW data{};
    if (balloon) data = *balloon;
    data.cbSize = sizeof data;
    data.hWnd = window_.get();
    data.uID = kIconId;
    if (!balloon) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kCallbackMessage;
        data.hIcon = IconHandle();
        const std::wstring tip = W(text_);
        lstrcpynW(data.szTip, tip.c_str(), static_cast<int>(std::size(data.szTip)));
    }
    return ::Shell_NotifyIconW(action, &data) != FALSE;
}

bool Perchlet::ShowBalloon(const std::string& title, const std::string& text, HICON icon) {
    if (!added_) return false;
    NOTIFYICONDATAW data{};
    data.uFlags = NIF_INFO;
    const std::wstring wideTitle = W(title), wideText = W(text);
    lstrcpynW(data.szInfoTitle, wideTitle.c_str(), static_cast<int>(std::size(data.szInfoTitle)));
    lstrcpynW(data.szInfo, wideText.c_str(), static_cast<int>(std::size(data.szInfo)));
    data.uTimeout = 10000;  // before Vista; later the system decides
    data.dwInfoFlags = icon ? NIIF_USER : NIIF_INFO;
    data.hBalloonIcon = icon;
    if (!Notify(NIM_MODIFY, &data)) return false;
    lastBalloon_ = {title, text};
    ++balloonsShown_;
    balloonUp_ = true;
    return true;
}

void Perchlet::HideBalloon() {
    if (!balloonUp_ || !added_) return;
    // A balloon with no text is the shell's way to take one back.
    NOTIFYICONDATAW data{};
    data.uFlags = NIF_INFO;
    Notify(NIM_MODIFY, &data);
    balloonUp_ = false;
}

void Perchlet::Update() {
    if (!visible_) {
        if (added_) Notify(NIM_DELETE);
        added_ = false;
        return;
    }
    if (added_) {
        if (Notify(NIM_MODIFY)) return;
        added_ = false;  // the shell lost it: add it again
    }
    added_ = Notify(NIM_ADD);
}

void Perchlet::SetIcon(ComPtr<IPicture> picture) {
    icon_ = std::move(picture);
    Update();
}

void Perchlet::SetText(const std::string& toolTip) {
    text_ = toolTip;
    Update();
}

void Perchlet::SetVisible(bool visible) {
    visible_ = visible;
    Update();
}

LRESULT CALLBACK Perchlet::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Perchlet*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        if (msg == kCallbackMessage && wParam == kIconId) {
            self->lastMouseMessage_ = static_cast<UINT>(lParam);
            if (lParam == NIN_BALLOONHIDE || lParam == NIN_BALLOONTIMEOUT || lParam == NIN_BALLOONUSERCLICK)
                self->balloonUp_ = false;
            if (self->OnTrayEvent) {
                try {
                    self->OnTrayEvent(static_cast<UINT>(lParam));
                } catch (...) {
                    // Nothing may leave a window procedure.
                }
            }
            return 0;
        }
        if (msg == self->taskbarCreated_ && self->taskbarCreated_ != 0) {
            // Explorer restarted: its new tray knows nothing of us.
            self->added_ = false;
            self->Update();
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

ComPtr<IPicture> asLoadResTrayIcon(const std::string& resourceName) {
    HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), W(resourceName).c_str(), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    if (!icon) throw LastError(resourceName);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    ComPtr<IPicture> picture;
    const HRESULT hr = ::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void());
    if (FAILED(hr)) {
        ::DestroyIcon(icon);
        throw ComError(hr, "OleCreatePictureIndirect");
    }
    return picture;
}

}  // namespace outside
