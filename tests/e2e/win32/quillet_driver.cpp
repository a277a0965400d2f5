// Drives a running Quillet from inside the same Wine prefix, for the
// whole-program scenarios: types and sends a message, waits for a text in the
// conversation pane, and ends the program through its tray menu.
//
//   quillet_driver send TEXT            sends TEXT as if typed and Enter pressed ("Send on Enter" on)
//   quillet_driver burst N PREFIX [MS]  sends "PREFIX 001" to "PREFIX N", MS apart (0), and prints
//                                       "i time" for each, time in ms since 1970 (UTC) once sent
//   quillet_driver wait TEXT [SECONDS]  exit 0 once the pane shows TEXT
//   quillet_driver watch N PREFIX SECONDS
//                                       prints "ready", then watches the pane for "PREFIX 001" to
//                                       "PREFIX N" and prints "i time" for each as it first appears;
//                                       exit 0 when all came once each and in order, 1 when some
//                                       are missing, 4 when some came twice, 5 when all came once
//                                       but not in order (each one out of place named on stderr)
//   quillet_driver pane                 prints the pane's text (UTF-8)
//   quillet_driver exit                 chooses "Выход" in the tray menu and waits for the end
//   quillet_driver shared on|off [DAYS] in the chat settings window: ticks or clears the shared-folder
//                                       box (a box the program ticked itself counts as on), types DAYS
//                                       into the days box when given, and presses OK
//   quillet_driver create PATH          in the entry window: "Создать файл чата", PATH typed into the
//   quillet_driver open PATH            save dialog (or "Открыть файл чата" and the open dialog)
//   sendfile, click, link               for sent files: driver_files.h
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <shellapi.h>

#include "driver_files.h"

namespace {

constexpr int kIdLog = 100;
constexpr int kIdMessage = 101;
constexpr UINT kMenuExit = 2011;
constexpr int kIdLocalSettingsButton = 200;
constexpr int kIdSettingsOk = 1, kIdSharedFolder = 110, kIdRetentionDays = 112;

std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return s;
}

// The chat window once it has loaded: the class is found as soon as the window
// exists, before its controls do, so wait for it to be shown and then for its
// thread to answer (it does once the load is over).
HWND ChatWindow(int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        HWND w = ::FindWindowW(L"QuilletChatWindow", nullptr);
        DWORD_PTR answer = 0;
        if (w && ::IsWindowVisible(w) && ::GetDlgItem(w, kIdMessage) &&
            ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer))
            return w;
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

// Wall-clock milliseconds, comparable between processes and prefixes on one machine.
long long NowMs() {
    FILETIME ft{};
    ::GetSystemTimePreciseAsFileTime(&ft);
    const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000;
}

// Types TEXT into the message box and presses Enter; true once the box is empty
// again, which the chat window does after writing the message file.
bool Send(HWND chat, const std::wstring& text) {
    HWND box = ::GetDlgItem(chat, kIdMessage);
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    // The message loop's TranslateMessage makes the Enter's character, as for a real key.
    ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    for (int i = 0; i < 10000; ++i) {
        if (::SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == 0) return true;
        ::Sleep(1);
    }
    std::fprintf(stderr, "the message box kept its text: %s\n", Utf8(text).c_str());
    return false;
}

std::wstring Numbered(const std::wstring& prefix, int i) {
    wchar_t number[16];
    std::swprintf(number, 16, L" %03d", i);
    return prefix + number;
}

// Every occurrence of TEXT in PANE.
std::vector<size_t> Occurrences(const std::wstring& pane, const std::wstring& text) {
    std::vector<size_t> found;
    for (size_t at = pane.find(text); at != std::wstring::npos; at = pane.find(text, at + text.size()))
        found.push_back(at);
    return found;
}

int Watch(HWND chat, int count, const std::wstring& prefix, int seconds) {
    std::vector<long long> seen(static_cast<size_t>(count) + 1, 0);
    int missing = count;
    std::printf("ready\n");
    std::fflush(stdout);
    const long long deadline = NowMs() + seconds * 1000LL;
    std::wstring pane;
    while (missing > 0 && NowMs() < deadline) {
        pane = PaneText(chat);
        const long long now = NowMs();
        for (int i = 1; i <= count; ++i)
            if (!seen[static_cast<size_t>(i)] && pane.find(Numbered(prefix, i)) != std::wstring::npos) {
                seen[static_cast<size_t>(i)] = now;
                --missing;
            }
        ::Sleep(20);
    }
    ::Sleep(500);  // a duplicate would come right behind
    pane = PaneText(chat);
    bool twice = false;
    bool disordered = false;
    size_t last = 0;
    for (int i = 1; i <= count; ++i) {
        if (seen[static_cast<size_t>(i)]) std::printf("%d %lld\n", i, seen[static_cast<size_t>(i)]);
        const std::vector<size_t> at = Occurrences(pane, Numbered(prefix, i));
        if (at.empty()) {
            std::fprintf(stderr, "missing: %s\n", Utf8(Numbered(prefix, i)).c_str());
            continue;
        }
        if (at.size() > 1) {
            std::fprintf(stderr, "twice: %s\n", Utf8(Numbered(prefix, i)).c_str());
            twice = true;
        }
        if (at.front() < last) {
            std::fprintf(stderr, "out of order: %s\n", Utf8(Numbered(prefix, i)).c_str());
            disordered = true;
        }
        last = at.front();
    }
    return missing > 0 ? 1 : twice ? 4 : disordered ? 5 : 0;
}

// A visible dialog box of the given process.
struct DialogSearch {
    DWORD process;
    HWND found;
};
BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (process == search->process && ::IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK FindNameBox(HWND child, LPARAM param) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (_wcsicmp(cls, L"Edit") == 0 && ::IsWindowVisible(child) && !(::GetWindowLongW(child, GWL_STYLE) & ES_READONLY)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

// The window of that class once it is shown, waiting up to tenths of a second.
HWND ShownWindow(const wchar_t* className, int tenths) {
    for (int i = 0; i < tenths; ++i) {
        HWND window = ::FindWindowW(className, nullptr);
        if (window && ::IsWindowVisible(window)) return window;
        ::Sleep(100);
    }
    return nullptr;
}

// Presses an entry-window button (ids 100 create, 101 open) and answers its file dialog with PATH.
int Enter(int button, const std::wstring& path) {
    HWND login = ShownWindow(L"QuilletLogin", 600);
    if (!login) {
        std::fprintf(stderr, "no entry window\n");
        return 3;
    }
    DialogSearch search{0, nullptr};
    ::GetWindowThreadProcessId(login, &search.process);
    ::PostMessageW(login, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(login, button)));
    for (int i = 0; i < 300 && !search.found; ++i) {
        ::Sleep(100);
        ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    }
    if (!search.found) {
        std::fprintf(stderr, "no file dialog\n");
        return 1;
    }
    ::Sleep(300);
    HWND name = nullptr;
    ::EnumChildWindows(search.found, FindNameBox, reinterpret_cast<LPARAM>(&name));
    if (!name) return 1;
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(search.found, WM_COMMAND, IDOK, 0);
    return 0;
}

// "shared on|off [DAYS]": the chat settings window's shared-folder box, then OK.
int SharedFolder(HWND chat, bool on, const std::wstring& days) {
    ::PostMessageW(chat, WM_COMMAND, MAKEWPARAM(kIdLocalSettingsButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(chat, kIdLocalSettingsButton)));
    HWND settings = ShownWindow(L"QuilletChatSettings", 300);
    if (!settings) {
        std::fprintf(stderr, "no chat settings window\n");
        return 3;
    }
    HWND box = ::GetDlgItem(settings, kIdSharedFolder);
    const auto ticked = [&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    if (ticked() != on && ::IsWindowEnabled(box)) ::SendMessageW(box, BM_CLICK, 0, 0);
    if (ticked() != on) {
        std::fprintf(stderr, "the shared-folder box stays %s\n", on ? "clear" : "ticked");
        return 1;
    }
    if (!days.empty()) ::SendMessageW(::GetDlgItem(settings, kIdRetentionDays), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(days.c_str()));
    ::SendMessageW(::GetDlgItem(settings, kIdSettingsOk), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && ::IsWindow(settings); ++i) ::Sleep(100);
    return ::IsWindow(settings) ? 1 : 0;
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
    if (command == "create" && argc >= 3) return Enter(100, args[2]);
    if (command == "open" && argc >= 3) return Enter(101, args[2]);
    HWND chat = ChatWindow(60);
    if (!chat) {
        std::fprintf(stderr, "no chat window\n");
        return 3;
    }
    if (command == "send" && argc >= 3) return Send(chat, args[2]) ? 0 : 1;
    if (command == "burst" && argc >= 4) {
        const int count = std::stoi(args[2]);
        const int pause = argc >= 5 ? std::stoi(args[4]) : 0;
        for (int i = 1; i <= count; ++i) {
            if (i > 1 && pause > 0) ::Sleep(static_cast<DWORD>(pause));
            if (!Send(chat, Numbered(args[3], i))) return 1;
            std::printf("%d %lld\n", i, NowMs());
        }
        return 0;
    }
    if (command == "watch" && argc >= 5) return Watch(chat, std::stoi(args[2]), args[3], std::stoi(args[4]));
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
    if (command == "sendfile" && argc >= 3) return SendFilesCommand(chat, {args.begin() + 2, args.end()});
    if (command == "click" && argc >= 3) return ClickCommand(chat, args[2], argc >= 4 && args[3] == L"shift");
    if (command == "link" && argc >= 3) return LinkCommand(chat, args[2], argc >= 4 ? std::stoi(args[3]) : 30);
    if (command == "shared" && argc >= 3) return SharedFolder(chat, args[2] == L"on", argc >= 4 ? args[3] : L"");
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
