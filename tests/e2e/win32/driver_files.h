// What the driver's commands share (quillet_driver.cpp dispatches them), and
// its commands for sent files:
//
//   quillet_driver sendfile PATH...     puts the files on the clipboard, as Explorer's copy does, and
//                                       pastes them into the message box (Ctrl+V); 0 once sent
//   quillet_driver click TEXT [shift]   clicks (Shift+clicks) the first character of TEXT in the pane
//   quillet_driver haslink TEXT [SECONDS]
//                                       exit 0 once the pane shows TEXT with link formatting
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The chat window's conversation pane and message box.
constexpr int kIdLog = 100;
constexpr int kIdMessage = 101;

// Asks found() every tenth of a second, tenths times after the first; its first answer that is not empty.
template <class Found>
auto Poll(int tenths, Found found) -> decltype(found()) {
    for (int i = 0;; ++i) {
        if (auto answer = found()) return answer;
        if (i >= tenths) return {};
        ::Sleep(100);
    }
}

// A window's whole text, also of another process's control (WM_GETTEXT).
std::wstring WindowText(HWND window);
std::string Utf8(const std::wstring& wide);

int SendFilesCommand(HWND chat, const std::vector<std::wstring>& paths);
int ClickCommand(HWND chat, const std::wstring& text, bool shift);
int LinkCommand(HWND chat, const std::wstring& text, int seconds);
