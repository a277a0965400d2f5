// The conversation pane over a RichEdit control.
//
// Appends reach the control as RTF, one insertion at a time: the runs of one
// message (between BeginAppend and EndAppend), or during a batch (a dispatch
// pass) every message since the last redraw. A batch keeps the control from
// drawing itself after each change and redraws it a few times a second, so a
// long pass still shows its progress. With the overflow rule a redraw's text
// is mostly thrown away again by the next clear; where that is slow (RichEdit
// under Wine), redraws come less often, so that the work thrown away stays
// within a tenth of the pass.
#pragma once

#include <windows.h>

#include "../IConversationPane.h"
#include "../RtfRuns.h"
#include "app/support/win32/PaneLinks.h"
#include "app/support/win32/modRTFSupport.h"

#include <chrono>
#include <vector>

namespace chatwindow {

class RichEditPane final : public IConversationPane {
public:
    // A batch redraws the pane at most this often...
    static constexpr std::chrono::milliseconds kRedrawInterval{300};
    // ...and waits (kRedrawShare - 1) times as long as the last redraw's
    // drawing and the work clears threw away since the one before took.
    static constexpr int kRedrawShare = 10;

    explicit RichEditPane(HWND pane = nullptr) : pane_(pane) {}
    void Attach(HWND pane) { pane_ = pane; }
    HWND Handle() const { return pane_; }

    bool IsEmpty() const override { return queued_.empty() && ::GetWindowTextLengthW(pane_) == 0; }
    void BeginAppend() override { ++appendDepth_; }
    void EndAppend() override;
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override;
    void AppendLink(const std::string& text, const std::string& target, int size, int32_t colour,
                    int alignment) override;
    void Clear() override;
    std::vector<TextRun> TakeUnloggedRuns() override;

    // A batch: appended messages wait, in order, and the control is not drawn;
    // now and then (above) what waits goes in and the control is drawn.
    // EndBatch puts in the rest and lets the control draw itself again.
    // BeginBatch inside a batch does nothing.
    void BeginBatch();
    void EndBatch();
    bool InBatch() const { return inBatch_; }
    // Puts the waiting runs into the control in one insertion; a user who has
    // scrolled back stays where he is.
    void Flush();

    // The links to sent files in the pane.
    support::PaneLinks& Links() { return links_; }

private:
    // After a whole message (or a lone run) was appended.
    void Appended();
    void Redraw();

    using Clock = std::chrono::steady_clock;

    HWND pane_;
    modRTFSupport::AppendState state_;
    int appendDepth_ = 0;
    bool inBatch_ = false;
    Clock::time_point lastRedraw_;
    Clock::duration redrawWaste_{};  // at the last redraw: its drawing and the work thrown away before it
    Clock::duration wasted_{};       // since: insertions cleared again, and the clears
    Clock::duration inserted_{};     // insertions since the last clear
    std::vector<TextRun> queued_;    // not yet in the control
    std::vector<TextRun> unlogged_;  // not yet taken by the log
    support::PaneLinks links_;
};

}  // namespace chatwindow
