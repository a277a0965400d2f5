#include "RichEditPane.h"

#include <richedit.h>

#include "outside/win32/Handles.h"

namespace chatwindow {
namespace {

// Windows stops a RichEdit at 32,767 characters until its limit is raised, and
// the limit holds for RTF put in by EM_SETTEXTEX and EM_STREAMIN too (Wine
// reports it but lets more in). A conversation or a log has no such bound: the
// largest limit a single-line EDIT gets from EM_LIMITTEXT(0).
constexpr LPARAM kNoTextLimit = 0x7FFFFFFE;

}  // namespace

void RichEditPane::EndAppend() {
    if (appendDepth_ > 0 && --appendDepth_ == 0 && !held_) Flush();
}

void RichEditPane::AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) {
    queued_.push_back({text, size, bold, colour, alignment});
    unlogged_.push_back(queued_.back());
    if (appendDepth_ == 0 && !held_) Flush();
}

void RichEditPane::AppendLink(const std::string& text, const std::string& target, int size, int32_t colour,
                              int alignment) {
    queued_.push_back({text, size, false, colour, alignment, target});
    unlogged_.push_back(queued_.back());
    if (appendDepth_ == 0 && !held_) Flush();
}

void RichEditPane::Clear() {
    queued_.clear();
    links_.Clear();
    ::SetWindowTextW(pane_, L"");
}

std::vector<TextRun> RichEditPane::TakeUnloggedRuns() {
    std::vector<TextRun> runs;
    runs.swap(unlogged_);
    return runs;
}

void RichEditPane::HoldAppends(bool hold) {
    held_ = hold;
    if (!hold && appendDepth_ == 0) Flush();
}

void RichEditPane::Flush() {
    if (queued_.empty()) return;
    const std::string rtf = RunsToRtf(queued_, kPaneFont);
    queued_.clear();
    modRTFSupport::BeginAppend(pane_, state_);
    modRTFSupport::MoveCaretToEnd(pane_);
    const LONG start = PaneLinks::TextLength(pane_);
    SETTEXTEX how{ST_SELECTION, CP_ACP};
    ::SendMessageW(pane_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(rtf.c_str()));
    links_.Mark(pane_, start, rtf);
    modRTFSupport::EndAppend(pane_, state_);
}

void RichEditPane::SetRedraw(bool on) {
    if (on == !suspended_) return;
    suspended_ = !on;
    ::SendMessageW(pane_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) ::RedrawWindow(pane_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HWND CreateRichEditPane(HWND parent, int id) {
    static outside::UniqueModule richEdit(::LoadLibraryW(L"msftedit.dll"));
    HWND pane = ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                      ES_AUTOVSCROLL | ES_NOHIDESEL | ES_SAVESEL,
                                  0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!pane) return nullptr;
    ::SendMessageW(pane, EM_EXLIMITTEXT, 0, kNoTextLimit);
    ::SendMessageW(pane, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
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

}  // namespace chatwindow
