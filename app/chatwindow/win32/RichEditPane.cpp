#include "RichEditPane.h"

#include <richedit.h>

#include <algorithm>

namespace chatwindow {
namespace {

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
    const LONG start = support::PaneLinks::TextLength(pane_);
    SETTEXTEX how{ST_SELECTION, CP_ACP};
    ::SendMessageW(pane_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(rtf.c_str()));
    links_.Mark(pane_, start, rtf);
    modRTFSupport::EndAppend(pane_, state_);
    inserted_ += Clock::now() - began;
}

}  // namespace chatwindow
