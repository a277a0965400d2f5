#include "QuilletProcess.h"

#include <vector>

#include "outside/Support.h"
#include "outside/win32/Wide.h"

namespace wintest {
namespace {

struct Search {
    DWORD processId;
    std::wstring className;
    std::wstring caption;
    HWND found;
    bool visibleOnly = true;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != s->processId || (s->visibleOnly && !::IsWindowVisible(window))) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (!s->className.empty() && s->className != className) return TRUE;
    if (!s->caption.empty()) {
        wchar_t caption[512] = {};
        ::GetWindowTextW(window, caption, 512);
        if (s->caption != caption) return TRUE;
    }
    s->found = window;
    return FALSE;
}

}  // namespace

QuilletProcess::QuilletProcess(const std::wstring& arguments, const std::string& folder) {
    const std::string exe =
        outside::esBuildFileName2(outside::esGetFilePath(outside::esGetModuleFileName()), "Quillet.exe");
    std::wstring commandLine = L"\"" + outside::W(exe) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring wideFolder = outside::W(folder);
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : wideFolder.c_str(), &startup, &info)) {
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        id_ = info.dwProcessId;
    }
}

QuilletProcess::~QuilletProcess() { Terminate(); }

void QuilletProcess::Terminate() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

HWND QuilletProcess::WaitForWindow(const std::wstring& className, const std::string& caption, int timeoutMs) const {
    return Wait(className, caption, true, timeoutMs);
}

HWND QuilletProcess::WaitForAnyWindow(const std::wstring& className, int timeoutMs) const {
    return Wait(className, {}, false, timeoutMs);
}

HWND QuilletProcess::Wait(const std::wstring& className, const std::string& caption, bool visibleOnly,
                          int timeoutMs) const {
    Search s{id_, className, outside::W(caption), nullptr, visibleOnly};
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (::WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) break;
    }
    ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool QuilletProcess::HasVisibleWindow() const {
    Search s{id_, L"", L"", nullptr};
    ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
    return s.found != nullptr;
}

bool QuilletProcess::WaitForExit(int timeoutMs, DWORD* code) const {
    if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    if (code) ::GetExitCodeProcess(process_.get(), code);
    return true;
}

std::string MessageBoxText(HWND box) {
    wchar_t text[2048] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return outside::U8(text);
}

std::string WindowCaption(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return outside::U8(text);
}

void CloseMessageBox(HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); }

}  // namespace wintest
