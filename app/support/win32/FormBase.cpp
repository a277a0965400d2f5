#include "FormBase.h"

#include <algorithm>
#include <vector>

#include "app/support/modFormatVersion.h"
#include "outside/MessageBoxes.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/WindowPlacementWin32.h"
#include "outside/win32/WindowSupport.h"

namespace support {
namespace {

std::vector<FormBase*>& Loaded() {
    static std::vector<FormBase*> forms;
    return forms;
}

// The last window may go inside any message loop, even a modal one; a message
// to this window is dispatched by all of them, and it ends the program only
// when no new window came meanwhile (the entry window gives way to the chat).
constexpr UINT kCheckQuit = WM_APP + 0x51;
LRESULT CALLBACK QuitWatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kCheckQuit) {
        if (FormBase::LoadedForms() == 0) ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}
HWND QuitWatch() {
    static HWND watch = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = QuitWatchProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuilletQuitWatch";
        ::RegisterClassExW(&wc);
        return ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                 nullptr);
    }();
    return watch;
}

HFONT MakeTahoma(int dpiY, bool bold) {
    return ::CreateFontW(-::MulDiv(9, dpiY, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                         L"Tahoma");
}

}  // namespace

FormBase::~FormBase() {
    if (!hwnd_) return;
    // An owner that drops a loaded form: the window goes without calling back
    // into the half-destroyed object.
    HWND hwnd = hwnd_;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    auto& forms = Loaded();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    hwnd_ = nullptr;
    ::DestroyWindow(hwnd);
    if (forms.empty()) ::PostMessageW(QuitWatch(), kCheckQuit, 0, 0);
}

int FormBase::LoadedForms() { return static_cast<int>(Loaded().size()); }

bool FormBase::CreateForm(const Design& design) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = design.className;
    ::RegisterClassExW(&wc);  // fails harmlessly when the class exists

    HDC screen = ::GetDC(nullptr);
    dpiX_ = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    dpiY_ = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    font_.reset(MakeTahoma(dpiY_, false));
    boldFont_.reset(MakeTahoma(dpiY_, true));
    dialogKeys_ = design.dialogKeys;
    minClientWidth_ = design.minClientWidth;
    minClientHeight_ = design.minClientHeight;

    const DWORD style = design.sizable ? WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN
                                       : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT | (design.owner ? 0 : WS_EX_APPWINDOW);
    RECT frame{0, 0, PxX(design.clientWidth), PxY(design.clientHeight)};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    QuitWatch();
    ::CreateWindowExW(exStyle, design.className, outside::W(design.caption).c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                      design.owner ? design.owner : outside::esGetThunderMainHandle(), nullptr, instance, this);
    return hwnd_ != nullptr;
}

void FormBase::StandardLoadSteps() {
    outside::esCenterFormEx(hwnd_, 0);
    if (!outside::esIsInIDE()) {
        try {
            outside::asSetWindowResIconAll(hwnd_, "A_MAIN");
        } catch (const outside::RuntimeError&) {
            // A window without its icon still works.
        }
    }
    outside::esFixUserControlsContainerWindow();
}

void FormBase::Show() {
    if (!hwnd_) return;
    if (::IsIconic(hwnd_)) ::OpenIcon(hwnd_);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void FormBase::DestroyForm() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

HWND FormBase::AddControl(const wchar_t* className, const std::string& text, DWORD style, DWORD exStyle, int id,
                          const TwipsRect& where) {
    HWND child = ::CreateWindowExW(exStyle, className, outside::W(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   PxX(where.left), PxY(where.top), PxX(where.width), PxY(where.height), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                   nullptr);
    if (child) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    return child;
}

HWND FormBase::AddLabel(int id, const std::string& text, const TwipsRect& where, bool bold, DWORD style) {
    HWND label = AddControl(L"STATIC", text, style, 0, id, where);
    if (label && bold) ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    return label;
}

HWND FormBase::AddButton(int id, const std::string& text, const TwipsRect& where, bool isDefault) {
    if (isDefault) defaultButton_ = id;
    return AddControl(L"BUTTON", text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, id, where);
}

HWND FormBase::AddCheckBox(int id, const std::string& text, const TwipsRect& where) {
    return AddControl(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, 0, id, where);
}

HWND FormBase::AddOption(int id, const std::string& text, const TwipsRect& where, bool firstOfGroup) {
    return AddControl(L"BUTTON", text, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0), 0, id, where);
}

HWND FormBase::AddEdit(int id, const std::string& text, const TwipsRect& where, DWORD extraStyle) {
    return AddControl(L"EDIT", text, WS_TABSTOP | extraStyle, WS_EX_CLIENTEDGE, id, where);
}

HWND FormBase::AddFrame(int id, const std::string& text, const TwipsRect& where) {
    return AddControl(L"BUTTON", text, BS_GROUPBOX | WS_GROUP, 0, id, where);
}

void FormBase::Place(HWND control, const TwipsRect& where) const {
    if (control) ::MoveWindow(control, PxX(where.left), PxY(where.top), PxX(where.width), PxY(where.height), TRUE);
}

int FormBase::TextWidthTwips(HWND control) const {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), length + 1)));
    HDC dc = ::GetDC(control);
    if (!dc) return 0;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return TwipsX(size.cx + 2);
}

int FormBase::ClientWidthTwips() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    return TwipsX(client.right);
}

int FormBase::ClientHeightTwips() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    return TwipsY(client.bottom);
}

void FormBase::SetDefaultButton(int id) {
    defaultButton_ = id;
    if (hwnd_) ::SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

bool FormBase::RestorePlacement(const std::string& key, const std::string& windowName, int* showCommand) {
    try {
        outside::SettingsStore store;
        return outside::RestoreWindowPlacement(store, key, windowName, hwnd_, showCommand);
    } catch (const outside::RuntimeError&) {
        return false;
    }
}

void FormBase::SavePlacement(const std::string& key, const std::string& windowName) {
    try {
        outside::SettingsStore store;
        outside::SaveWindowPlacement(store, key, windowName, hwnd_);
    } catch (const outside::RuntimeError&) {
    }
}

Modifiers FormBase::CurrentModifiers() {
    return {outside::esIsKeyPressed(VK_SHIFT), outside::esIsKeyPressed(VK_CONTROL), outside::esIsKeyPressed(VK_MENU)};
}

void FormBase::ShowReadMe() {
    try {
        outside::esOpenReadMeFile(0);
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, "Не удалось открыть справку.");
    }
}

void FormBase::ShowAboutBox() { outside::ShowAbout(hwnd_, modFormatVersion::ProductTitle(), modFormatVersion::AboutText()); }

bool FormBase::OnPreviewKey(int virtualKey, Modifiers modifiers) {
    switch (FormKeyFor(virtualKey, modifiers)) {
        case FormKey::ReadMe: ShowReadMe(); return true;
        case FormKey::About: ShowAboutBox(); return true;
        case FormKey::Close: OnEscape(); return true;
        case FormKey::Swallow: return true;
        case FormKey::None: return false;
    }
    return false;
}

FormBase* FormBase::FormOf(HWND anyWindow) {
    if (!anyWindow) return nullptr;
    HWND root = ::GetAncestor(anyWindow, GA_ROOT);
    for (FormBase* form : Loaded())
        if (form->hwnd_ == root) return form;
    return nullptr;
}

bool FormBase::PreTranslate(MSG& msg) {
    FormBase* form = FormOf(msg.hwnd);
    if (!form) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        // The object outlives its window, so it may unload itself in here.
        if (form->OnPreviewKey(static_cast<int>(msg.wParam), CurrentModifiers())) return true;
    }
    return form->hwnd_ && form->dialogKeys_ && ::IsDialogMessageW(form->hwnd_, &msg);
}

void FormBase::TranslateAndDispatch(MSG& msg) {
    if (PreTranslate(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

LRESULT CALLBACK FormBase::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<FormBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        Loaded().push_back(created);
    }
    auto* self = reinterpret_cast<FormBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        auto& forms = Loaded();
        forms.erase(std::remove(forms.begin(), forms.end(), self), forms.end());
        self->hwnd_ = nullptr;
        if (forms.empty()) ::PostMessageW(QuitWatch(), kCheckQuit, 0, 0);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure.
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT FormBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnUnload();
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                const int width = TwipsX(LOWORD(lParam));
                const int height = TwipsY(HIWORD(lParam));
                const Growth grow = GrowthToMinimum(width, height, minClientWidth_, minClientHeight_);
                if (grow.width || grow.height) {
                    // The resize this causes lays the window out.
                    RECT window{};
                    ::GetWindowRect(hwnd_, &window);
                    ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + PxX(grow.width),
                                   window.bottom - window.top + PxY(grow.height), SWP_NOMOVE | SWP_NOZORDER);
                    return 0;
                }
                OnResize(width, height);
            }
            return 0;
        case WM_GETMINMAXINFO:
            if (minClientWidth_ || minClientHeight_) {
                RECT frame{0, 0, PxX(minClientWidth_), PxY(minClientHeight_)};
                ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                                     static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {frame.right - frame.left,
                                                                         frame.bottom - frame.top};
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (!dialogKeys_) break;
            // As a dialog box does: the focus comes back where the user left it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(hwnd_, lastFocus_)) {
                ::SetFocus(lastFocus_);
                return 0;
            }
            break;
        case DM_GETDEFID:
            return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
        case DM_SETDEFID:
            defaultButton_ = static_cast<int>(wParam);
            return TRUE;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace support
