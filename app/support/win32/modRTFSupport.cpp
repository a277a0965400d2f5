#include "modRTFSupport.h"

#include <richedit.h>

#include "outside/RuntimeError.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

#include <algorithm>

#include <cstring>

namespace modRTFSupport {

void BeginAppend(HWND pane, AppendState& state) {
    const LONG length = ::GetWindowTextLengthW(pane);
    POINTL end{};
    ::SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end), length);
    RECT client{};
    ::GetClientRect(pane, &client);
    state.scrollKept = end.y > client.bottom;
    if (state.scrollKept) {
        // The scroll position, not the first line: it stays exact with mixed font sizes.
        ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&state.scrollPos));
        ::LockWindowUpdate(pane);
    }
}

void EndAppend(HWND pane, AppendState& state) {
    if (!state.scrollKept) return;
    ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&state.scrollPos));
    ::LockWindowUpdate(nullptr);
    state.scrollKept = false;
}

void MoveCaretToEnd(HWND pane) {
    const LONG length = ::GetWindowTextLengthW(pane);
    ::SendMessageW(pane, EM_SETSEL, length, length);
}

void AppendText(HWND pane, const std::string& text, int size, bool bold, int32_t colour, int alignment) {
    MoveCaretToEnd(pane);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_SIZE | CFM_BOLD | CFM_COLOR;
    cf.yHeight = size * 20;
    cf.dwEffects = bold ? CFE_BOLD : 0;
    cf.crTextColor = static_cast<COLORREF>(colour & 0x00FFFFFF);
    ::SendMessageW(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = alignment == 2 ? PFA_CENTER : PFA_LEFT;
    ::SendMessageW(pane, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    const std::wstring wide = outside::W(text);
    ::SendMessageW(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void AppendLine(HWND pane, const std::string& text, int size, bool bold, int32_t colour, int alignment) {
    AppendText(pane, text + "\r\n", size, bold, colour, alignment);
}

void AppendSpacer(HWND pane) { AppendLine(pane, " ", 3, false, 0, 0); }

std::string PlainText(HWND pane) {
    GETTEXTLENGTHEX gtl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT length = ::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    const LRESULT got = ::SendMessageW(pane, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                       reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(got));
    return outside::U8(buffer);
}

namespace {
DWORD CALLBACK CollectRtf(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    *done = count;
    return 0;
}
DWORD CALLBACK FeedRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    const size_t n = std::min(rest->size(), static_cast<size_t>(wanted));
    std::memcpy(buffer, rest->data(), n);
    rest->remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
}
}  // namespace

bool StreamInRtf(HWND pane, std::string_view rtf) {
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rtf), 0, FeedRtf};
    ::SendMessageW(pane, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

std::string StreamOutRtf(HWND pane) {
    std::string rtf;
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = CollectRtf;
    ::SendMessageW(pane, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0 || rtf.empty())
        throw outside::RuntimeError(outside::kErrPathFileAccess, "Не удалось получить RTF из окна беседы");
    return rtf;
}

namespace {

// Windows stops a RichEdit at 32,767 characters until its limit is raised, and
// the limit holds for RTF put in by EM_SETTEXTEX and EM_STREAMIN too (Wine
// reports it but lets more in). A conversation or a log has no such bound: the
// largest limit a single-line EDIT gets from EM_LIMITTEXT(0).
constexpr LPARAM kNoTextLimit = 0x7FFFFFFE;

}  // namespace

HWND CreateRichEditPane(HWND parent, int id) {
    static outside::UniqueModule richEdit(::LoadLibraryW(L"msftedit.dll"));
    HWND pane = ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                      ES_AUTOVSCROLL | ES_NOHIDESEL | ES_SAVESEL,
                                  0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!pane) return nullptr;
    ::SendMessageW(pane, EM_EXLIMITTEXT, 0, kNoTextLimit);
    ::SendMessageW(pane, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTICODEPAGE, 0);
    // Nothing is ever undone in a read-only pane, and keeping what each
    // insertion replaced makes it slower (by a third under Wine).
    ::SendMessageW(pane, EM_SETUNDOLIMIT, 0, 0);
    ::SendMessageW(pane, EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_WINDOW));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE;
    cf.yHeight = 9 * 20;
    cf.bCharSet = RUSSIAN_CHARSET;
    lstrcpynW(cf.szFaceName, L"Tahoma", LF_FACESIZE);
    ::SendMessageW(pane, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    ::SendMessageW(pane, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    return pane;
}

}  // namespace modRTFSupport
