// The conversation pane as the display and the log see it: text appended at
// the end in runs of one format, the user's scroll position kept, and the
// runs handed on to the log. RichEdit on Windows; tests record the runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chatwindow {

enum Alignment : int { kAlignLeft = 0, kAlignCentre = 2 };

// A piece of text in one format.
struct TextRun {
    std::string text;  // UTF-8; "\r\n", "\r" or "\n" end a paragraph
    int size;          // points
    bool bold;
    int32_t colour;    // 0x00BBGGRR
    int alignment;     // kAlignLeft or kAlignCentre
    std::string link{};  // a link's target (FileLinks.h); empty for plain text
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

class IConversationPane {
public:
    virtual ~IConversationPane() = default;
    virtual bool IsEmpty() const = 0;
    // Bracket a sequence of appends; a user who has scrolled back stays where he is.
    virtual void BeginAppend() = 0;
    virtual void EndAppend() = 0;
    // colour is 0x00BBGGRR; size in points.
    virtual void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) = 0;
    // One line's worth of text shown as a link to target; a pane without links shows the text.
    virtual void AppendLink(const std::string& text, const std::string& target, int size, int32_t colour,
                            int alignment) {
        (void)target;
        AppendText(text, size, false, colour, alignment);
    }
    virtual void Clear() = 0;
    // The runs appended since the last call, in order: what the log lacks.
    virtual std::vector<TextRun> TakeUnloggedRuns() = 0;
};

void AppendLine(IConversationPane& pane, const std::string& text, int size, bool bold, int32_t colour, int alignment);
// A blank 3-point line between messages.
void AppendSpacer(IConversationPane& pane);

}  // namespace chatwindow
