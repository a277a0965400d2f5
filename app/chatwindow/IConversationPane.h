// The conversation pane as the display and the log see it: text appended at
// the end in runs of one format, the user's scroll position kept, and the
// whole pane saved as RTF. RichEdit on Windows; tests record the runs.
#pragma once

#include <cstdint>
#include <string>

namespace chatwindow {

enum Alignment : int { kAlignLeft = 0, kAlignCentre = 2 };

class IConversationPane {
public:
    virtual ~IConversationPane() = default;
    virtual bool IsEmpty() const = 0;
    // Bracket a sequence of appends; a user who has scrolled back stays where he is.
    virtual void BeginAppend() = 0;
    virtual void EndAppend() = 0;
    // colour is 0x00BBGGRR; size in points.
    virtual void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) = 0;
    virtual void Clear() = 0;
    // Writes the whole pane as RTF; throws RuntimeError.
    virtual void SaveRtf(const std::string& path) = 0;
};

void AppendLine(IConversationPane& pane, const std::string& text, int size, bool bold, int32_t colour, int alignment);
// A blank 3-point line between messages.
void AppendSpacer(IConversationPane& pane);

}  // namespace chatwindow
