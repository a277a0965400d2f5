// The driver's commands for sent files (quillet_driver.cpp dispatches them):
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

int SendFilesCommand(HWND chat, const std::vector<std::wstring>& paths);
int ClickCommand(HWND chat, const std::wstring& text, bool shift);
int LinkCommand(HWND chat, const std::wstring& text, int seconds);
