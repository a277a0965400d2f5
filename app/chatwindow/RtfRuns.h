// Turns formatted text runs into RTF: one fragment per message for the pane
// (one insertion instead of one per run), and the pieces the conversation log
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
// The paragraphs of runs, for a document whose colour table is colours (it
// must hold every run's colour). A paragraph takes the alignment of the last
// run that starts in it, as when each run sets the alignment of the paragraph
// it is appended to. Bodies of whole lines can be joined one after the other.
std::string RtfBody(const std::vector<TextRun>& runs, const std::vector<int32_t>& colours);

// A whole RTF document holding the runs in order.
std::string RunsToRtf(const std::vector<TextRun>& runs, const std::string& fontName);

}  // namespace chatwindow
