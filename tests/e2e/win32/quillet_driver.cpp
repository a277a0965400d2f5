// Drives a running Quillet from inside the same Wine prefix, for the whole-program scenarios.
//
//   send TEXT                  types TEXT and presses Enter ("Send on Enter" on)
//   burst N PREFIX [MS]        sends "PREFIX 001" to "PREFIX N", MS apart; prints "i time" (ms since 1970 UTC)
//   wait TEXT [SECONDS]        exit 0 once the pane shows TEXT
//   watch N PREFIX SECONDS     prints "ready", then "i time" as each of "PREFIX 001".."PREFIX N" first shows;
//                              exit 0 all once in order, 1 some missing, 4 some twice, 5 out of order
//   pane | exit                prints the pane's text (UTF-8) | chooses "Выход" in the tray menu, waits for the end
//   shared on|off              chat settings: the shared-folder box (ticked by the program counts as on), OK
//   create PATH | open PATH    entry window: "Создать файл чата" / "Открыть файл чата", PATH into the dialog
//   autorun                    chat settings: "Добавить"; prints the message box it answers
//   link PATH                  prints a shortcut's target, arguments and working folder
//   run [--limited] [--lock FILE] COMMAND_LINE
//                              runs it as a deployment tool does, prints "exit N"; --limited as a standard
//                              user, --lock with FILE held open, shared with no one
//   finish SETUP               the installer's pages, ticking "Запустить Quillet"; prints "installer PID EXIT",
//                              "quillet PID PARENT INTEGRITY", "shell PID INTEGRITY" (hex), then closes Quillet
//   sendfile PATH...           the files on the clipboard as Explorer's copy, pasted into the message box
//   click TEXT                 clicks the first character of TEXT in the pane
//   haslink TEXT [SECONDS]     exit 0 once the pane shows TEXT with link formatting
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "outside/win32/Handles.h"
#include "tests/win32/DropFiles.h"

namespace {

constexpr int kIdLog = 100, kIdMessage = 101;  // the chat window's pane and message box

constexpr UINT kMenuExit = 2011;
constexpr int kIdLocalSettingsButton = 200;
constexpr int kIdSettingsOk = 1, kIdSettingsCancel = 2, kIdSharedFolder = 110;

// Asks found() every tenth of a second, tenths times after the first; its first answer that is not empty.
template <class Found>
auto Poll(int tenths, Found found) -> decltype(found()) {
    for (int i = 0;; ++i) {
        if (auto answer = found()) return answer;
        if (i >= tenths) return {};
        ::Sleep(100);
    }
}

// A window's whole text, also of another process's control.
std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string Utf8(const std::wstring& wide) {
    std::string text(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr,
                                                               nullptr)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(text.empty() ? 0 : text.size() - 1);
    return text;
}

// Says why on stderr; the exit code.
int Fail(int code, const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return code;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

// The visible windows of a class: the top-level ones of a process (no parent given), or a window's children.
struct WindowSearch {
    const wchar_t* cls;
    DWORD process;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t cls[32] = {};
    ::GetClassNameW(window, cls, 32);
    if (_wcsicmp(cls, search->cls) == 0 && ::IsWindowVisible(window) &&
        (!search->process || ProcessOf(window) == search->process))
        search->found.push_back(window);
    return TRUE;
}
std::vector<HWND> Windows(const wchar_t* cls, HWND parent, DWORD process = 0) {
    WindowSearch search{cls, process, {}};
    if (parent)
        ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&search));
    else
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
// The first visible top-level window of a class (of PROCESS, when given), looked for during SECONDS (once with 0).
HWND Shown(const wchar_t* cls, int seconds, DWORD process = 0) {
    return Poll(seconds * 10, [&] {
        const std::vector<HWND> found = Windows(cls, nullptr, process);
        return found.empty() ? HWND{} : found.front();
    });
}
HWND ButtonWithText(HWND parent, const std::wstring& text) {
    for (HWND button : Windows(L"Button", parent))
        if (WindowText(button) == text) return button;
    return nullptr;
}
// Posts a message that ends a window's program, and waits for the end.
bool PostAndWaitForEnd(HWND window, UINT message, WPARAM wParam) {
    outside::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(window)));
    ::PostMessageW(window, message, wParam, 0);
    return process && ::WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0;
}

// The chat window once loaded: shown, with its controls, and its thread answering (it does after the load).
HWND ChatWindow(int seconds) {
    return Poll(seconds * 10, [] {
        HWND w = ::FindWindowW(L"QuilletChatWindow", nullptr);
        DWORD_PTR answer = 0;
        return w && ::IsWindowVisible(w) && ::GetDlgItem(w, kIdMessage) &&
                       ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)
                   ? w
                   : HWND{};
    });
}

std::wstring PaneText(HWND chat) { return WindowText(::GetDlgItem(chat, kIdLog)); }

// Wall-clock milliseconds, comparable between processes and prefixes on one machine.
long long NowMs() {
    FILETIME ft{};
    ::GetSystemTimePreciseAsFileTime(&ft);
    const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000;
}

// Types TEXT into the message box and presses Enter; true once the box is empty (the message file written).
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
    return Fail(0, "the message box kept its text: " + Utf8(text));
}

std::wstring Numbered(const std::wstring& prefix, int i) {
    wchar_t number[16];
    std::swprintf(number, 16, L" %03d", i);
    return prefix + number;
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
        const std::wstring name = Numbered(prefix, i);
        const size_t at = pane.find(name);
        const bool again = at != std::wstring::npos && pane.find(name, at + name.size()) != std::wstring::npos;
        const bool early = at != std::wstring::npos && at < last;
        for (const auto& [fault, said] : {std::pair{at == std::wstring::npos, "missing"}, {again, "twice"},
                                          {early, "out of order"}})
            if (fault) std::fprintf(stderr, "%s: %s\n", said, Utf8(name).c_str());
        twice = twice || again;
        disordered = disordered || early;
        if (at != std::wstring::npos) last = at;
    }
    return missing > 0 ? 1 : twice ? 4 : disordered ? 5 : 0;
}

// Memory inside Quillet's process for messages whose argument is a pointer (ours means nothing there).
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(window, &id);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_) at_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (at_) ::VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool valid() const { return at_ != nullptr; }
    WPARAM address() const { return reinterpret_cast<WPARAM>(at_); }
    bool Write(const void* bytes) { return ::WriteProcessMemory(process_, at_, bytes, size_, nullptr) != FALSE; }
    bool Read(void* bytes) { return ::ReadProcessMemory(process_, at_, bytes, size_, nullptr) != FALSE; }

private:
    HANDLE process_ = nullptr;
    void* at_ = nullptr;
    size_t size_;
};

// Where TEXT starts in the pane as a character position (a paragraph mark is one, two in WM_GETTEXT); -1: not there.
LONG PositionOf(HWND pane, const std::wstring& text) {
    const std::wstring all = WindowText(pane);
    const size_t at = all.find(text);
    if (at == std::wstring::npos) return -1;
    LONG breaks = 0;
    for (size_t i = 0; i + 1 < at; ++i)
        if (all[i] == L'\r' && all[i + 1] == L'\n') ++breaks;
    return static_cast<LONG>(at) - breaks;
}

bool IsLink(HWND pane, LONG begin, LONG end) {
    RemoteBuffer range(pane, sizeof(CHARRANGE)), format(pane, sizeof(CHARFORMAT2W));
    CHARRANGE selection{begin, end};
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    if (!range.valid() || !format.valid() || !range.Write(&selection) || !format.Write(&cf)) return false;
    ::SendMessageW(pane, EM_EXSETSEL, 0, static_cast<LPARAM>(range.address()));
    ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, static_cast<LPARAM>(format.address()));
    return format.Read(&cf) && (cf.dwMask & CFM_LINK) && (cf.dwEffects & CFE_LINK);
}

int SendFilesCommand(HWND chat, const std::vector<std::wstring>& paths) {
    HGLOBAL memory = wintest::DropOfFiles(paths);
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return 1;
    }
    ::EmptyClipboard();
    ::SetClipboardData(CF_HDROP, memory);
    ::CloseClipboard();
    // Ctrl+V's character, which the box turns into a paste; answered once the files are sent.
    ::SendMessageW(::GetDlgItem(chat, kIdMessage), WM_CHAR, 0x16, 1);
    return 0;
}

int ClickCommand(HWND chat, const std::wstring& text) {
    HWND pane = ::GetDlgItem(chat, kIdLog);
    const LONG at = PositionOf(pane, text);
    RemoteBuffer point(pane, sizeof(POINTL));
    POINTL where{};
    if (at < 0 || !point.valid() || !point.Write(&where)) return Fail(1, "not in the pane, or no way in");
    ::SendMessageW(pane, EM_POSFROMCHAR, point.address(), at);
    point.Read(&where);
    const LPARAM xy = MAKELPARAM(where.x + 2, where.y + 4);
    // Posted: what the click opens (a box) must not hold the driver.
    ::PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, xy);
    ::PostMessageW(pane, WM_LBUTTONUP, 0, xy);
    return 0;
}

int LinkCommand(HWND chat, const std::wstring& text, int seconds) {
    HWND pane = ::GetDlgItem(chat, kIdLog);
    if (Poll(seconds * 10, [&] {
            const LONG at = PositionOf(pane, text);
            return at >= 0 && IsLink(pane, at, at + static_cast<LONG>(text.size()));
        }))
        return 0;
    return Fail(1, "no link in the pane");
}

// Presses an entry-window button (ids 100 create, 101 open) and answers its file dialog with PATH.
int Enter(int button, const std::wstring& path) {
    HWND login = Shown(L"QuilletLogin", 60);
    if (!login) return Fail(3, "no entry window");
    ::PostMessageW(login, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(login, button)));
    HWND dialog = Shown(L"#32770", 30, ProcessOf(login));
    if (!dialog) return Fail(1, "no file dialog");
    ::Sleep(300);
    for (HWND name : Windows(L"Edit", dialog)) {
        if (::GetWindowLongW(name, GWL_STYLE) & ES_READONLY) continue;
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 1;
}

// The chat settings window, opened through the chat window's toolbar.
HWND ChatSettings(HWND chat) {
    ::PostMessageW(chat, WM_COMMAND, MAKEWPARAM(kIdLocalSettingsButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(chat, kIdLocalSettingsButton)));
    HWND settings = Shown(L"QuilletChatSettings", 30);
    if (!settings) std::fprintf(stderr, "no chat settings window\n");
    return settings;
}

// "shared on|off": the chat settings window's shared-folder box, then OK.
int SharedFolder(HWND chat, bool on) {
    HWND settings = ChatSettings(chat);
    if (!settings) return 3;
    HWND box = ::GetDlgItem(settings, kIdSharedFolder);
    const auto ticked = [&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    if (ticked() != on && ::IsWindowEnabled(box)) ::SendMessageW(box, BM_CLICK, 0, 0);
    if (ticked() != on) return Fail(1, on ? "the shared-folder box stays clear" : "the shared-folder box stays ticked");
    ::SendMessageW(::GetDlgItem(settings, kIdSettingsOk), BM_CLICK, 0, 0);
    return Poll(100, [&] { return !::IsWindow(settings); }) ? 0 : 1;
}

// Chat settings, then "Добавить": Quillet makes the Startup-folder shortcut and says so.
int AddToAutorun(HWND chat) {
    HWND settings = ChatSettings(chat);
    if (!settings) return 1;
    HWND add = ButtonWithText(settings, L"Добавить");
    ::PostMessageW(settings, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(add), BN_CLICKED), reinterpret_cast<LPARAM>(add));
    HWND box = Shown(L"#32770", 10, ProcessOf(settings));
    if (!box) return Fail(1, "no message box");
    ::Sleep(300);
    std::wstring said;
    for (HWND text : Windows(L"Static", box))
        if (WindowText(text).size() > said.size()) said = WindowText(text);
    std::printf("%s\n", Utf8(said).c_str());
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ::Sleep(300);
    ::PostMessageW(settings, WM_COMMAND, MAKEWPARAM(kIdSettingsCancel, BN_CLICKED), 0);
    return 0;
}

int PrintLink(const std::wstring& path) {
    outside::ComApartment apartment;
    outside::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return 1;
    outside::ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(path.c_str(), STGM_READ))) return 1;
    wchar_t target[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    link->GetWorkingDirectory(folder, MAX_PATH);
    std::printf("%s\n%s\n%s\n", Utf8(target).c_str(), Utf8(arguments).c_str(), Utf8(folder).c_str());
    return 0;
}

// A token like this process's, with the Administrators group for deny only: a standard user's.
outside::UniqueHandle StandardUserToken() {
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) return {};
    outside::UniqueHandle token(own);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &administrators))
        return {};
    SID_AND_ATTRIBUTES denied{administrators, 0};
    HANDLE restricted = nullptr;
    const BOOL made = ::CreateRestrictedToken(token.get(), 0, 1, &denied, 0, nullptr, 0, nullptr, &restricted);
    ::FreeSid(administrators);
    return outside::UniqueHandle(made ? restricted : nullptr);
}

int Run(const std::vector<std::wstring>& args) {
    bool limited = false;
    outside::UniqueHandle held;
    size_t i = 2;
    for (; i + 1 < args.size(); ++i) {
        if (args[i] == L"--limited") {
            limited = true;
        } else if (args[i] == L"--lock" && i + 2 < args.size()) {
            held.reset(::CreateFileW(args[++i].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (!held) return Fail(1, "cannot hold " + Utf8(args[i]));
        } else {
            break;
        }
    }
    if (i >= args.size()) return 2;
    std::wstring line = args[i];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    outside::UniqueHandle token = limited ? StandardUserToken() : outside::UniqueHandle();
    const BOOL ok = limited ? token && ::CreateProcessAsUserW(token.get(), nullptr, line.data(), nullptr, nullptr,
                                                               FALSE, 0, nullptr, nullptr, &startup, &started)
                            : ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                               &startup, &started);
    if (!ok) return Fail(1, "cannot run " + Utf8(line) + " (" + std::to_string(::GetLastError()) + ")");
    outside::UniqueHandle process(started.hProcess), thread(started.hThread);
    if (::WaitForSingleObject(process.get(), 300000) != WAIT_OBJECT_0) return Fail(1, "still running after 5 minutes");
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    std::printf("exit %lu\n", code);
    return 0;
}

// The integrity level of a process's token (0x2000 medium, 0x3000 high); 0 when unknown.
DWORD IntegrityOf(DWORD processId) {
    outside::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    HANDLE own = nullptr;
    if (!process || !::OpenProcessToken(process.get(), TOKEN_QUERY, &own)) return 0;
    outside::UniqueHandle token(own);
    std::vector<BYTE> label(256);
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenIntegrityLevel, label.data(), static_cast<DWORD>(label.size()), &size))
        return 0;
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
    return *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1U);
}

DWORD ParentOf(DWORD processId) {
    outside::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == processId) return entry.th32ParentProcessID;
    return 0;
}

// The desktop's shell: Explorer's shell window; under Wine (none) the desktop window's, Wine's Explorer.
DWORD ShellProcess() {
    HWND shell = ::GetShellWindow();
    return ProcessOf(shell ? shell : ::GetDesktopWindow());
}

int Finish(const std::wstring& setup) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = setup.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info) || !info.hProcess) return Fail(1, "the installer did not start");
    outside::UniqueHandle installer(info.hProcess);
    const DWORD installerId = ::GetProcessId(installer.get());
    // The default button of each page once settled (the same for a moment); on the last, tick the box first.
    bool ticked = false;
    HWND seen = nullptr;
    for (int i = 0; i < 600 && ::WaitForSingleObject(installer.get(), 300) == WAIT_TIMEOUT; ++i) {
        HWND wizard = Shown(L"#32770", 0, installerId);
        HWND page = wizard ? ::FindWindowExW(wizard, nullptr, L"#32770", nullptr) : nullptr;
        HWND next = wizard ? ::GetDlgItem(wizard, IDOK) : nullptr;
        const bool settled = page == seen;
        seen = page;
        if (!settled || !next || !::IsWindowEnabled(next) || !::IsWindowVisible(next)) continue;
        if (HWND box = ButtonWithText(wizard, L"Запустить Quillet")) {
            ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
            ticked = true;
        }
        if (!ticked && WindowText(next).find(L"Готово") != std::wstring::npos) continue;
        ::PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(next));
        seen = nullptr;
    }
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(installer.get(), &exitCode);
    std::printf("installer %lu %lu\n", installerId, exitCode);
    // Started through the shell: on a busy machine that took more than 30 s once.
    HWND quillet = Poll(900, [] { return ::FindWindowW(L"QuilletLogin", nullptr); });
    if (!quillet) return Fail(1, "no Quillet started");
    const DWORD quilletId = ProcessOf(quillet);
    const DWORD shellId = ShellProcess();
    std::printf("quillet %lu %lu %lx\nshell %lu %lx\n", quilletId, ParentOf(quilletId), IntegrityOf(quilletId),
                shellId, IntegrityOf(shellId));
    // Leave no Quillet behind for the next step.
    return PostAndWaitForEnd(quillet, WM_CLOSE, 0) ? 0 : 1;
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
    if (command == "link" && argc >= 3) return PrintLink(args[2]);
    if (command == "run" && argc >= 3) return Run(args);
    if (command == "finish" && argc >= 3) return Finish(args[2]);
    HWND chat = ChatWindow(60);
    if (!chat) return Fail(3, "no chat window");
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
        if (Poll(seconds * 10, [&] { return PaneText(chat).find(wanted) != std::wstring::npos; })) return 0;
        return Fail(1, "not in the pane: " + Utf8(wanted) + "\n" + Utf8(PaneText(chat)));
    }
    if (command == "sendfile" && argc >= 3) return SendFilesCommand(chat, {args.begin() + 2, args.end()});
    if (command == "click" && argc >= 3) return ClickCommand(chat, args[2]);
    if (command == "haslink" && argc >= 3) return LinkCommand(chat, args[2], argc >= 4 ? std::stoi(args[3]) : 30);
    if (command == "shared" && argc >= 3) return SharedFolder(chat, args[2] == L"on");
    if (command == "autorun") return AddToAutorun(chat);
    if (command == "pane") {
        std::printf("%s\n", Utf8(PaneText(chat)).c_str());
        return 0;
    }
    if (command == "exit") return PostAndWaitForEnd(chat, WM_COMMAND, MAKEWPARAM(kMenuExit, 0)) ? 0 : 1;
    return 2;
}
