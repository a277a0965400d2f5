// Turns formatted text runs into RTF: the pane's insertions (a message, or a
// redraw's worth of them, in one stream), and the pieces the conversation log
// is made of (a header with the font and colour tables, then paragraphs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IConversationPane.h"

namespace chatwindow {

inline constexpr const char* kPaneFont = "Tahoma";

// The start of a document up to and including its colour table; the entry
// for colours[i] is \cf(i + 1).
std::string RtfHeader(const std::string& fontName, const std::vector<int32_t>& colours);
// Adds to colours, in order of first use, every colour of runs it lacks;
// true when one was added.
bool AddRunColours(const std::vector<TextRun>& runs, std::vector<int32_t>& colours);
// How a piece of text states its format.
enum class RunFormat {
    // \plain, then the run's font, size, colour and weight: what the logs hold.
    Reset,
    // The run's font, size, colour and weight alone. Wine's RichEdit turns
    // every \plain into a character style of its own and looks each new
    // format up among all of them, so a pane fed \plain slows down with every
    // run it holds (1,600 messages into a pane of 1,600: 5.6 s against 0.23 s).
    Explicit,
};

// The paragraphs of runs, for a document whose colour table is colours (it
// must hold every run's colour). A paragraph takes the alignment of the last
// run that starts in it, as when each run sets the alignment of the paragraph
// it is appended to. Bodies of whole lines can be joined one after the other.
std::string RtfBody(const std::vector<TextRun>& runs, const std::vector<int32_t>& colours,
                    RunFormat format = RunFormat::Reset);

// A whole RTF document holding the runs in order.
std::string RunsToRtf(const std::vector<TextRun>& runs, const std::string& fontName);
// The same for insertion into the pane: every piece in RunFormat::Explicit.
std::string RunsToPaneRtf(const std::vector<TextRun>& runs, const std::string& fontName);

}  // namespace chatwindow
