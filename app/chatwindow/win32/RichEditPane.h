// The conversation pane over a RichEdit control.
#pragma once

#include <windows.h>

#include "../IConversationPane.h"
#include "../RtfRuns.h"
#include "modRTFSupport.h"

#include <vector>

namespace chatwindow {

class RichEditPane final : public IConversationPane {
public:
    explicit RichEditPane(HWND pane = nullptr) : pane_(pane) {}
    void Attach(HWND pane) { pane_ = pane; }
    HWND Handle() const { return pane_; }

    bool IsEmpty() const override { return runs_.empty() && ::GetWindowTextLengthW(pane_) == 0; }
    // Between BeginAppend and EndAppend the runs are gathered and inserted as
    // one piece of RTF: the same text and formats, one insertion.
    void BeginAppend() override;
    void EndAppend() override;
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override;
    void Clear() override { ::SetWindowTextW(pane_, L""); }
    void SaveRtf(const std::string& path) override;

    // Painting a visible RichEdit after every append costs far more than the
    // append itself; long passes paint it now and then instead.
    void SetRedraw(bool on);
    bool RedrawSuspended() const { return suspended_; }

private:
    HWND pane_;
    modRTFSupport::AppendState state_;
    int appendDepth_ = 0;
    std::vector<TextRun> runs_;
    bool suspended_ = false;
};

// Loads msftedit.dll once and creates a read-only RichEdit pane.
HWND CreateRichEditPane(HWND parent, int id);

}  // namespace chatwindow
