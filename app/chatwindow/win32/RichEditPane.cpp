#include "RichEditPane.h"

#include <richedit.h>

namespace chatwindow {

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
    const LONG start = support::PaneLinks::TextLength(pane_);
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

}  // namespace chatwindow
