// Drives a running Quillet from inside the same Wine prefix, for the
// whole-program scenarios: types and sends a message, waits for a text in the
// conversation pane, and ends the program through its tray menu.
//
//   quillet_driver send TEXT            sends TEXT as if typed and Enter pressed ("Send on Enter" on)
//   quillet_driver wait TEXT [SECONDS]  exit 0 once the pane shows TEXT
//   quillet_driver pane                 prints the pane's text (UTF-8)
//   quillet_driver exit                 chooses "Выход" in the tray menu and waits for the end
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <shellapi.h>

namespace {

constexpr int kIdLog = 100;
constexpr int kIdMessage = 101;
constexpr UINT kMenuExit = 2011;

std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return s;
}

HWND ChatWindow(int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND w = ::FindWindowW(L"QuilletChatWindow", nullptr)) return w;
        ::Sleep(100);
    }
    return nullptr;
}

std::wstring PaneText(HWND chat) {
    HWND pane = ::GetDlgItem(chat, kIdLog);
    const LRESULT n = ::SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    ::SendMessageW(pane, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}

}  // namespace

int main() {
    // The wide command line: the narrow one is in the ANSI code page, not UTF-8.
    int argc = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args(wide, wide + argc);
    ::LocalFree(wide);
    if (argc < 2) return 2;
    const std::string command = Utf8(args[1]);
    HWND chat = ChatWindow(60);
    if (!chat) {
        std::fprintf(stderr, "no chat window\n");
        return 3;
    }
    if (command == "send" && argc >= 3) {
        HWND box = ::GetDlgItem(chat, kIdMessage);
        ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()));
        ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageW(box, WM_CHAR, L'\r', 1);
        for (int i = 0; i < 100; ++i) {
            if (::GetWindowTextLengthW(box) == 0) return 0;
            ::Sleep(100);
        }
        std::fprintf(stderr, "the message box kept its text\n");
        return 1;
    }
    if (command == "wait" && argc >= 3) {
        const std::wstring& wanted = args[2];
        const int seconds = argc >= 4 ? std::stoi(args[3]) : 30;
        for (int i = 0; i < seconds * 10; ++i) {
            if (PaneText(chat).find(wanted) != std::wstring::npos) return 0;
            ::Sleep(100);
        }
        std::fprintf(stderr, "not in the pane: %s\n%s\n", Utf8(wanted).c_str(), Utf8(PaneText(chat)).c_str());
        return 1;
    }
    if (command == "pane") {
        std::printf("%s\n", Utf8(PaneText(chat)).c_str());
        return 0;
    }
    if (command == "exit") {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(chat, &processId);
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
        ::PostMessageW(chat, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
        const DWORD waited = process ? ::WaitForSingleObject(process, 30000) : WAIT_FAILED;
        if (process) ::CloseHandle(process);
        return waited == WAIT_OBJECT_0 ? 0 : 1;
    }
    return 2;
}
