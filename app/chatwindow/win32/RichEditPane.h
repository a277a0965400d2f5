// The conversation pane over a RichEdit control.
#pragma once

#include <windows.h>

#include "../IConversationPane.h"
#include "modRTFSupport.h"

namespace chatwindow {

class RichEditPane final : public IConversationPane {
public:
    explicit RichEditPane(HWND pane = nullptr) : pane_(pane) {}
    void Attach(HWND pane) { pane_ = pane; }
    HWND Handle() const { return pane_; }

    bool IsEmpty() const override { return ::GetWindowTextLengthW(pane_) == 0; }
    void BeginAppend() override { modRTFSupport::BeginAppend(pane_, state_); }
    void EndAppend() override { modRTFSupport::EndAppend(pane_, state_); }
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override {
        modRTFSupport::AppendText(pane_, text, size, bold, colour, alignment);
    }
    void Clear() override { ::SetWindowTextW(pane_, L""); }
    void SaveRtf(const std::string& path) override;

    // Painting a visible RichEdit after every append costs far more than the
    // append itself; long passes paint it now and then instead.
    void SetRedraw(bool on);
    bool RedrawSuspended() const { return suspended_; }

private:
    HWND pane_;
    modRTFSupport::AppendState state_;
    bool suspended_ = false;
};

// Loads msftedit.dll once and creates a read-only RichEdit pane.
HWND CreateRichEditPane(HWND parent, int id);

}  // namespace chatwindow
