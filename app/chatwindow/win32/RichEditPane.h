// The conversation pane over a RichEdit control.
//
// Appends reach the control as RTF: the runs of one message (between
// BeginAppend and EndAppend) in one insertion, and while appends are held
// (a long pass), the messages of a whole redraw interval in one insertion.
// Each insertion into a RichEdit costs time in proportion to the text already
// in it (Wine), so fewer, larger insertions keep a backlog linear.
#pragma once

#include <windows.h>

#include "../IConversationPane.h"
#include "../RtfRuns.h"
#include "PaneLinks.h"
#include "modRTFSupport.h"

#include <vector>

namespace chatwindow {

class RichEditPane final : public IConversationPane {
public:
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

    // While held, appended messages wait, in order, for Flush (or the release).
    void HoldAppends(bool hold);
    bool AppendsHeld() const { return held_; }
    // Puts the waiting runs into the control in one insertion; a user who has
    // scrolled back stays where he is.
    void Flush();

    // Painting a visible RichEdit after every change costs far more than the
    // change itself; long passes paint it now and then instead.
    void SetRedraw(bool on);
    bool RedrawSuspended() const { return suspended_; }

    // The links to sent files in the pane.
    PaneLinks& Links() { return links_; }

private:
    HWND pane_;
    modRTFSupport::AppendState state_;
    int appendDepth_ = 0;
    bool held_ = false;
    std::vector<TextRun> queued_;    // not yet in the control
    std::vector<TextRun> unlogged_;  // not yet taken by the log
    bool suspended_ = false;
    PaneLinks links_;
};

// Loads msftedit.dll once and creates a read-only RichEdit pane without a
// text limit.
HWND CreateRichEditPane(HWND parent, int id);

}  // namespace chatwindow
