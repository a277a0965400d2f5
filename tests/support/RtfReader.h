// Reads back the RTF this program writes (the conversation log, the pane's
// fragments) as a reader sees it, and refuses a document that is not whole.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/IConversationPane.h"

namespace testsupport {

// One run per paragraph, holding its text as the logs viewer reads it (no
// line break, no format). Throws std::runtime_error for a document that is
// not whole: unbalanced braces, or text after the end.
std::vector<chatwindow::TextRun> ReadRtfRuns(const std::string& rtf);

}  // namespace testsupport
