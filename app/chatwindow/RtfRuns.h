// Turns a sequence of formatted text runs into one RTF fragment, so that a
// whole message reaches the rich-text pane in one insertion instead of one
// per run (each insertion into a long pane is costly).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chatwindow {

struct TextRun {
    std::string text;  // UTF-8; "\r\n", "\r" or "\n" end a paragraph
    int size;          // points
    bool bold;
    int32_t colour;    // 0x00BBGGRR
    int alignment;     // 0 left, 2 centre
};

// An RTF document holding the runs in order. A paragraph takes the alignment
// of the last run that starts in it, as when each run sets the alignment of
// the paragraph it is appended to.
std::string RunsToRtf(const std::vector<TextRun>& runs, const std::string& fontName);

}  // namespace chatwindow
