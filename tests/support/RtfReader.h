// Reads back the RTF this program writes (log, pane fragments) as a reader sees it; refuses one that is not whole.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/IConversationPane.h"

namespace testsupport {

// One run per paragraph with its plain text; throws std::runtime_error for unbalanced braces or text after the end.
std::vector<chatwindow::TextRun> ReadRtfRuns(const std::string& rtf);

}  // namespace testsupport
