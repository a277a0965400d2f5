#include "WindowTestSupport.h"

#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#include <richedit.h>

#include "app/settings/modSettings.h"
#include "app/support/win32/FormBase.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace wintest {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // a closed window's quit message is not ours
            support::FormBase::TranslateAndDispatch(msg);
        }
        if (done()) return true;
        if (static_cast<int>(::GetTickCount() - start) > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(int milliseconds) { PumpUntil([] { return false; }, milliseconds); }

void Unload(support::FormBase* form) {
    if (!form || !form->IsLoaded()) return;
    const HWND window = form->Handle();
    form->Unload();
    PumpUntil([&] { return !::IsWindow(window); });
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return outside::U8(text);
}

std::string Text(HWND window, int id) { return WindowText(::GetDlgItem(window, id)); }
void Click(HWND window, int id) { ::SendMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }
bool Checked(HWND window, int id) {
    return ::SendMessageW(::GetDlgItem(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void SetText(HWND window, const std::string& text) { ::SetWindowTextW(window, outside::W(text).c_str()); }

HeldKeys::HeldKeys(bool shift, bool ctrl, bool alt) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    ::GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    state[VK_MENU] = state[VK_LMENU] = alt ? 0x80 : 0;
    ::SetKeyboardState(state);
}

HeldKeys::~HeldKeys() { ::SetKeyboardState(saved_); }

void PressKey(HWND control, int vk, wchar_t ch, bool shift, bool ctrl) {
    HeldKeys keys(shift, ctrl);
    ::SendMessageW(control, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    if (ch) ::SendMessageW(control, WM_CHAR, ch, 1);
    ::SendMessageW(control, WM_KEYUP, static_cast<WPARAM>(vk), 0xC0000001);
}

void SendKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> input;
    const auto add = [&](WORD vk, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = flags;
        input.push_back(in);
    };
    for (WORD vk : keys) add(vk, 0);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    PumpFor(200);
}

bool TakeForeground(HWND window) {
    ::SetForegroundWindow(window);
    if (PumpUntil([&] { return ::GetForegroundWindow() == window; }, 2000)) return true;
    if (UnderWine()) ADD_FAILURE() << "the test window cannot take the keyboard";
    return false;
}

BITMAPINFO Dib32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return bi;
}

Pixels BitmapPixels(HBITMAP bitmap) {
    BITMAP info{};
    Pixels out;
    if (!::GetObjectW(bitmap, sizeof info, &info)) return out;
    out.width = info.bmWidth;
    out.height = info.bmHeight;
    out.argb.resize(static_cast<size_t>(out.width * out.height));
    BITMAPINFO bi = Dib32(out.width, out.height);
    HDC dc = ::GetDC(nullptr);
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(out.height), out.argb.data(), &bi, DIB_RGB_COLORS) != out.height)
        out.argb.assign(out.argb.size(), 0);
    ::ReleaseDC(nullptr, dc);
    return out;
}

Pixels Painted(int width, int height, COLORREF background, const std::function<void(HDC)>& paint) {
    BITMAPINFO bi = Dib32(width, height);
    void* bits = nullptr;
    HBITMAP target = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, target);
    RECT all{0, 0, width, height};
    HBRUSH brush = ::CreateSolidBrush(background);
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    paint(dc);
    ::GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    Pixels out{width, height, std::vector<uint32_t>(p, p + width * height)};
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(target);
    return out;
}

Pixels PrintedClient(HWND window) {
    RECT rc{};
    ::GetClientRect(window, &rc);
    return Painted(rc.right, rc.bottom, RGB(255, 0, 255), [&](HDC dc) {
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

Pixels IconPixels(HICON icon, int size) {
    int width = size, height = size;
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    BITMAP bm{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    if (!size) {
        width = bm.bmWidth;
        height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    return Painted(width, height, RGB(0, 0, 0),
                   [&](HDC dc) { ::DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL); });
}

HANDLE PictureHandle(IPicture* picture) {
    OLE_HANDLE handle = 0;
    if (!picture || FAILED(picture->get_Handle(&handle))) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
}

CharFormat FormatAt(HWND richEdit, int index) {
    ::SendMessageW(richEdit, EM_SETSEL, index, index + 1);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    ::SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    ::SendMessageW(richEdit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return {static_cast<int>(cf.yHeight / 20), (cf.dwEffects & CFE_BOLD) != 0, cf.crTextColor, pf.wAlignment};
}

HWND LoadRtfFile(const std::string& path) {
    const std::string bytes = outside::ReadFileBytes(path, 64u << 20);
    static const HMODULE richEdit = ::LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    HWND edit = ::CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    modRTFSupport::StreamInRtf(edit, bytes);
    return edit;
}

std::string RtfFileText(const std::string& path) {
    HWND edit = LoadRtfFile(path);
    const std::string text = modRTFSupport::PlainText(edit);
    ::DestroyWindow(edit);
    return text;
}

std::vector<std::string> LogFiles() {
    std::vector<std::string> logs;
    for (const std::string& name : outside::ListPlainFiles(modSettings::LogsFolder, "RTF"))
        logs.push_back(outside::esBuildFileName2(modSettings::LogsFolder, name));
    return logs;
}

namespace {
// What a script's steps found wrong; they run on the script's thread, the
// test hears of it on its own.
std::mutex boxProblemsMutex;
std::vector<std::string> boxProblems;
void BoxProblem(const std::string& problem) {
    std::lock_guard<std::mutex> lock(boxProblemsMutex);
    boxProblems.push_back(problem);
}
}  // namespace

struct DialogScript::State {
    std::vector<Step> steps;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    std::vector<HWND> seen;
    std::vector<std::string> texts;
    std::thread thread;
};

namespace {
BOOL CALLBACK ScriptBox(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<DialogScript::State*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) || std::wstring(cls) != L"#32770") return TRUE;
    size_t index = 0;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (std::find(state->seen.begin(), state->seen.end(), window) != state->seen.end()) return TRUE;
        std::string text = MessageBoxText(window);
        state->texts.push_back(text.empty() ? WindowText(window) : text);
        state->seen.push_back(window);
        index = state->seen.size() - 1;
    }
    ::Sleep(150);  // a file dialog fills its controls right after it shows
    if (index < state->steps.size())
        state->steps[index](window);
    else
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;  // look again from the top: the step may have opened another box
}

// A message box's push buttons, its default and its icon.
struct BoxControls {
    std::vector<int> buttons;
    int defaultId = 0;
    HICON icon = nullptr;
};
BOOL CALLBACK BoxControl(HWND child, LPARAM param) {
    auto* f = reinterpret_cast<BoxControls*>(param);
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (!::IsWindowVisible(child)) return TRUE;
    if (_wcsicmp(cls, L"Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
        f->buttons.push_back(::GetDlgCtrlID(child));
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) f->defaultId = ::GetDlgCtrlID(child);
    } else if (_wcsicmp(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        f->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    }
    return TRUE;
}

BOOL CALLBACK FirstWritableEdit(HWND child, LPARAM param) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (_wcsicmp(cls, L"Edit") == 0 && ::IsWindowVisible(child) && !(::GetWindowLongW(child, GWL_STYLE) & ES_READONLY)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

DialogScript::DialogScript(std::vector<Step> steps) : state_(new State) {
    state_->steps = std::move(steps);
    state_->thread = std::thread([s = state_] {
        while (!s->stop) {
            ::EnumWindows(ScriptBox, reinterpret_cast<LPARAM>(s));
            ::Sleep(50);
        }
    });
}

DialogScript::~DialogScript() {
    state_->stop = true;
    state_->thread.join();
    delete state_;
    std::lock_guard<std::mutex> lock(boxProblemsMutex);
    for (const std::string& problem : boxProblems) ADD_FAILURE() << problem;
    boxProblems.clear();
}

std::vector<std::string> DialogScript::Texts() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->texts;
}

int DialogScript::BoxesSeen() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return static_cast<int>(state_->seen.size());
}

DialogScript::Step DialogScript::ChooseFile(const std::string& path) {
    return [path](HWND box) {
        HWND name = nullptr;
        ::EnumChildWindows(box, FirstWritableEdit, reinterpret_cast<LPARAM>(&name));
        if (name) ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(outside::W(path).c_str()));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
}

DialogScript::Step DialogScript::Press(int id) {
    return [id](HWND box) {
        const HWND button = ::GetDlgItem(box, id);
        if (!button || !::IsWindowVisible(button))
            BoxProblem("no button " + std::to_string(id) + " in \"" + MessageBoxText(box) + "\"");
        ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
    };
}

DialogScript::Step DialogScript::Expect(std::vector<int> buttons, LPCWSTR icon, Step next) {
    return [buttons, icon, next](HWND box) {
        BoxControls found;
        ::EnumChildWindows(box, BoxControl, reinterpret_cast<LPARAM>(&found));
        std::vector<int> got = found.buttons;
        std::sort(got.begin(), got.end());
        std::vector<int> want = buttons;
        std::sort(want.begin(), want.end());
        const std::string text = MessageBoxText(box);
        if (got != want) BoxProblem("other buttons in \"" + text + "\"");
        if (!buttons.empty() && found.defaultId != buttons.front())
            BoxProblem("default button " + std::to_string(found.defaultId) + " in \"" + text + "\"");
        if (found.icon != ::LoadIconW(nullptr, icon)) BoxProblem("another icon in \"" + text + "\"");
        next(box);
    };
}

CaptionRecorder::CaptionRecorder(HWND window) : window_(window) {
    ::SetWindowSubclass(window_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

CaptionRecorder::~CaptionRecorder() {
    if (::IsWindow(window_)) ::RemoveWindowSubclass(window_, Proc, 1);
}

LRESULT CALLBACK CaptionRecorder::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (msg == WM_SETTEXT && lParam)
        reinterpret_cast<CaptionRecorder*>(data)->captions_.push_back(outside::U8(reinterpret_cast<const wchar_t*>(lParam)));
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

namespace {

outside::ComPtr<IAccessible> ClientObject(HWND window) {
    outside::ComPtr<IAccessible> object;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object.put_void());
    return object;
}

VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

}  // namespace

AccessibleClient ReadAccessible(HWND window) {
    AccessibleClient read;
    const outside::ComPtr<IAccessible> object = ClientObject(window);
    if (!object) return read;
    read.found = true;
    outside::Bstr name, action;
    if (object->get_accName(Self(), name.put()) == S_OK) read.name = outside::U8(name.str());
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(Self(), &role)) && role.vt == VT_I4) read.role = role.lVal;
    ::VariantClear(&role);
    if (object->get_accDefaultAction(Self(), action.put()) == S_OK) read.defaultAction = outside::U8(action.str());
    return read;
}

bool DoAccessibleDefaultAction(HWND window) {
    const outside::ComPtr<IAccessible> object = ClientObject(window);
    return object && SUCCEEDED(object->accDoDefaultAction(Self()));
}

}  // namespace wintest
