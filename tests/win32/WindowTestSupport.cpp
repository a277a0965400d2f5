#include "WindowTestSupport.h"

#include <commctrl.h>
#include <richedit.h>

#include "app/chatwindow/win32/modRTFSupport.h"
#include "app/support/win32/FormBase.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "QuilletProcess.h"

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

namespace {
struct ReadCookie {
    const std::string* bytes;
    size_t offset;
};
DWORD CALLBACK FeedRtf(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* c = reinterpret_cast<ReadCookie*>(cookie);
    const size_t n = std::min<size_t>(static_cast<size_t>(count), c->bytes->size() - c->offset);
    std::memcpy(buffer, c->bytes->data() + c->offset, n);
    c->offset += n;
    *done = static_cast<LONG>(n);
    return 0;
}
}  // namespace

HWND LoadRtfFile(const std::string& path) {
    const std::string bytes = outside::ReadFileBytes(path, 64u << 20);
    static const HMODULE richEdit = ::LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    HWND edit = ::CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ReadCookie cookie{&bytes, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, FeedRtf};
    ::SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return edit;
}

std::string RtfFileText(const std::string& path) {
    HWND edit = LoadRtfFile(path);
    const std::string text = modRTFSupport::PlainText(edit);
    ::DestroyWindow(edit);
    return text;
}

struct ModalCloser::State {
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    std::vector<std::string> texts;
    std::vector<HWND> answered;
    std::thread thread;
};

namespace {
BOOL CALLBACK AnswerBox(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<ModalCloser::State*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
        std::string text = MessageBoxText(window);
        if (text.empty()) text = WindowCaption(window);
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (std::find(state->answered.begin(), state->answered.end(), window) == state->answered.end()) {
                state->answered.push_back(window);
                state->texts.push_back(text);
            }
        }
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}
}  // namespace

ModalCloser::ModalCloser() : state_(new State) {
    state_->thread = std::thread([s = state_] {
        while (!s->stop) {
            ::EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(s));
            ::Sleep(100);
        }
    });
}

ModalCloser::~ModalCloser() {
    state_->stop = true;
    state_->thread.join();
    delete state_;
}

std::vector<std::string> ModalCloser::Texts() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->texts;
}

struct DialogScript::State {
    std::vector<Action> actions;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    std::vector<std::string> texts;
    std::thread thread;
};

namespace {
struct FoundDialog {
    HWND dialog = nullptr;
};
BOOL CALLBACK FindOwnDialog(HWND window, LPARAM param) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
        reinterpret_cast<FoundDialog*>(param)->dialog = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

DialogScript::DialogScript(std::vector<Action> actions) : state_(new State) {
    state_->actions = std::move(actions);
    state_->thread = std::thread([s = state_] {
        HWND previous = nullptr;
        size_t next = 0;
        while (!s->stop && next < s->actions.size()) {
            ::Sleep(50);
            if (previous && ::IsWindow(previous)) continue;
            FoundDialog found;
            ::EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&found));
            if (!found.dialog) continue;
            ::Sleep(100);  // let it finish its start
            std::string text = MessageBoxText(found.dialog);
            if (text.empty()) text = WindowCaption(found.dialog);
            {
                std::lock_guard<std::mutex> lock(s->mutex);
                s->texts.push_back(text);
            }
            s->actions[next++](found.dialog);
            previous = found.dialog;
        }
    });
}

DialogScript::~DialogScript() {
    state_->stop = true;
    state_->thread.join();
    delete state_;
}

std::vector<std::string> DialogScript::Texts() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->texts;
}

DialogScript::Action DialogScript::Press(int id) {
    return [id](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

DialogScript::Action DialogScript::TypeAndConfirm(int editId, const std::string& text) {
    return [editId, text](HWND dialog) {
        ::SendMessageW(::GetDlgItem(dialog, editId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(outside::W(text).c_str()));
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
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

}  // namespace wintest
