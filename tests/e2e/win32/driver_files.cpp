#include "driver_files.h"

#include <richedit.h>

#include <cstdio>

#include "tests/win32/DropFiles.h"

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

namespace {

// Memory inside Quillet's process for messages whose argument is a pointer:
// a pointer of this process means nothing there.
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

// Where TEXT starts in the pane, as a character position (a paragraph mark
// counts one there, two in WM_GETTEXT's text); -1 when it is not there.
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

}  // namespace

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

int ClickCommand(HWND chat, const std::wstring& text, bool shift) {
    HWND pane = ::GetDlgItem(chat, kIdLog);
    const LONG at = PositionOf(pane, text);
    RemoteBuffer point(pane, sizeof(POINTL));
    POINTL where{};
    if (at < 0 || !point.valid() || !point.Write(&where)) {
        std::fprintf(stderr, "not in the pane, or no way in\n");
        return 1;
    }
    ::SendMessageW(pane, EM_POSFROMCHAR, point.address(), at);
    point.Read(&where);
    const LPARAM xy = MAKELPARAM(where.x + 2, where.y + 4);
    // Posted: what the click opens (a box) must not hold the driver.
    ::PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON | (shift ? MK_SHIFT : 0), xy);
    ::PostMessageW(pane, WM_LBUTTONUP, shift ? MK_SHIFT : 0, xy);
    return 0;
}

int LinkCommand(HWND chat, const std::wstring& text, int seconds) {
    HWND pane = ::GetDlgItem(chat, kIdLog);
    if (Poll(seconds * 10, [&] {
            const LONG at = PositionOf(pane, text);
            return at >= 0 && IsLink(pane, at, at + static_cast<LONG>(text.size()));
        }))
        return 0;
    std::fprintf(stderr, "no link in the pane\n");
    return 1;
}
