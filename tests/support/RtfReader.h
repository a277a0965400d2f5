// Reads back the RTF this program writes (the pane's fragments and the
// conversation log) into runs of one format, so that two documents can be
// compared by what a reader sees: text, size, bold, colour, alignment.
// Throws std::runtime_error for a document that is not whole (unbalanced
// braces, text after the end).
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/IConversationPane.h"

namespace testsupport {

// Adjacent pieces of one format are joined; a paragraph end is "\r\n" in the
// text of the run it ends.
std::vector<chatwindow::TextRun> ReadRtfRuns(const std::string& rtf);
// The same runs as the pane would hold them after the given appends.
std::vector<chatwindow::TextRun> Normalized(const std::vector<chatwindow::TextRun>& runs);

}  // namespace testsupport
