#include "RichEditPane.h"

#include <richedit.h>

#include "outside/win32/Handles.h"

#include <algorithm>

namespace chatwindow {
namespace {

// Windows stops a RichEdit at 32,767 characters until its limit is raised, and
// the limit holds for RTF put in by EM_SETTEXTEX and EM_STREAMIN too (Wine
// reports it but lets more in). A conversation or a log has no such bound: the
// largest limit a single-line EDIT gets from EM_LIMITTEXT(0).
constexpr LPARAM kNoTextLimit = 0x7FFFFFFE;

// Lets the pane draw itself again and draws it at once.
void DrawNow(HWND pane) {
    ::SendMessageW(pane, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(pane, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace

void RichEditPane::EndAppend() {
    if (appendDepth_ > 0 && --appendDepth_ == 0) Appended();
}

void RichEditPane::AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) {
    queued_.push_back({text, size, bold, colour, alignment});
    unlogged_.push_back(queued_.back());
    if (appendDepth_ == 0) Appended();
}

void RichEditPane::Appended() {
    if (!inBatch_)
        Flush();
    else if (Clock::now() - lastRedraw_ >= std::max<Clock::duration>(kRedrawInterval, (kRedrawShare - 1) * redrawWaste_))
        Redraw();
}

void RichEditPane::AppendLink(const std::string& text, const std::string& target, int size, int32_t colour,
                              int alignment) {
    queued_.push_back({text, size, false, colour, alignment, target});
    unlogged_.push_back(queued_.back());
    if (appendDepth_ == 0) Appended();
}

void RichEditPane::Clear() {
    const Clock::time_point start = Clock::now();
    queued_.clear();
    // Wine's RichEdit deletes a whole text in time quadratic in its length
    // (300 messages: about 160 ms on a loaded machine); in pieces from the
    // start it takes less than half of that. Windows takes either at once.
    constexpr LONG kPiece = 4000;
    for (LONG length = ::GetWindowTextLengthW(pane_); length > 0;) {
        ::SendMessageW(pane_, EM_SETSEL, 0, std::min(length, kPiece));
        ::SendMessageW(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        const LONG left = ::GetWindowTextLengthW(pane_);
        if (left >= length) break;
        length = left;
    }
    links_.Clear();
    // Whatever is left, and the format of the empty pane back to its default.
    ::SetWindowTextW(pane_, L"");
    wasted_ += inserted_ + (Clock::now() - start);
    inserted_ = {};
}

std::vector<TextRun> RichEditPane::TakeUnloggedRuns() {
    std::vector<TextRun> runs;
    runs.swap(unlogged_);
    return runs;
}

void RichEditPane::BeginBatch() {
    if (inBatch_) return;
    inBatch_ = true;
    lastRedraw_ = Clock::now();
    redrawWaste_ = wasted_ = inserted_ = {};
    ::SendMessageW(pane_, WM_SETREDRAW, FALSE, 0);
}

void RichEditPane::EndBatch() {
    if (!inBatch_) return;
    inBatch_ = false;
    if (appendDepth_ == 0) Flush();
    DrawNow(pane_);
}

void RichEditPane::Redraw() {
    Flush();
    const Clock::time_point start = Clock::now();
    DrawNow(pane_);
    ::SendMessageW(pane_, WM_SETREDRAW, FALSE, 0);
    lastRedraw_ = Clock::now();
    redrawWaste_ = (lastRedraw_ - start) + wasted_;
    wasted_ = {};
}

void RichEditPane::Flush() {
    if (queued_.empty()) return;
    const Clock::time_point began = Clock::now();
    const std::string rtf = RunsToPaneRtf(queued_, kPaneFont);
    queued_.clear();
    modRTFSupport::BeginAppend(pane_, state_);
    modRTFSupport::MoveCaretToEnd(pane_);
    const LONG start = PaneLinks::TextLength(pane_);
    SETTEXTEX how{ST_SELECTION, CP_ACP};
    ::SendMessageW(pane_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(rtf.c_str()));
    links_.Mark(pane_, start, rtf);
    modRTFSupport::EndAppend(pane_, state_);
    inserted_ += Clock::now() - began;
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

}  // namespace chatwindow
