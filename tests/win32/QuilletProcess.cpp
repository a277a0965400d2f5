#include "QuilletProcess.h"
#include "WindowTestSupport.h"

#include "outside/Support.h"
#include "outside/win32/Wide.h"

namespace wintest {

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

void QuilletProcess::Terminate() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

HWND QuilletProcess::Find(const std::wstring& className, const std::string& caption, bool visibleOnly) const {
    const wchar_t* cls = className.empty() ? nullptr : className.c_str();
    for (HWND window = ::FindWindowExW(nullptr, nullptr, cls, nullptr); window;
         window = ::FindWindowExW(nullptr, window, cls, nullptr)) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        if (processId == id_ && (!visibleOnly || ::IsWindowVisible(window)) &&
            (caption.empty() || WindowText(window) == caption))
            return window;
    }
    return nullptr;
}

HWND QuilletProcess::Wait(const std::wstring& className, const std::string& caption, bool visibleOnly,
                          int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (HWND found = Find(className, caption, visibleOnly)) return found;
        if (::WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) break;
    }
    return Find(className, caption, visibleOnly);
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

void CloseMessageBox(HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); }

}  // namespace wintest
