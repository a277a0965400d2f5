// Runs Quillet.exe (from beside the test program) as a separate process and
// finds its windows: message boxes, the entry window, the chat window.
#pragma once

#include <windows.h>

#include <string>

#include "outside/win32/Handles.h"

namespace wintest {

class QuilletProcess {
public:
    // folder: the current folder, or empty.
    explicit QuilletProcess(const std::wstring& arguments, const std::string& folder = {});
    ~QuilletProcess() { Terminate(); }
    QuilletProcess(const QuilletProcess&) = delete;
    QuilletProcess& operator=(const QuilletProcess&) = delete;

    bool Started() const { return process_.valid(); }
    // A visible top-level window of the process with this class (and caption,
    // unless empty), waited for up to timeoutMs; null when none came.
    HWND WaitForWindow(const std::wstring& className, const std::string& caption = {}, int timeoutMs = 20000) const {
        return Wait(className, caption, true, timeoutMs);
    }
    // The same for a window that may be hidden.
    HWND WaitForAnyWindow(const std::wstring& className, int timeoutMs = 20000) const {
        return Wait(className, {}, false, timeoutMs);
    }
    HWND WaitForMessageBox(int timeoutMs = 20000) const { return WaitForWindow(L"#32770", {}, timeoutMs); }
    bool HasVisibleWindow() const { return Find({}, {}, true) != nullptr; }
    bool WaitForExit(int timeoutMs, DWORD* code = nullptr) const;
    void Terminate();  // as a crash: no clean-up at all

private:
    HWND Find(const std::wstring& className, const std::string& caption, bool visibleOnly) const;
    HWND Wait(const std::wstring& className, const std::string& caption, bool visibleOnly, int timeoutMs) const;
    outside::UniqueHandle process_;
    DWORD id_ = 0;
};

std::string MessageBoxText(HWND box);
void CloseMessageBox(HWND box);  // presses OK

}  // namespace wintest
