// The body of a message in the pane. A file message (app/exchange/FileMessage.h)
// shows "Файл: ", the file's name as a link, its size and the comment under
// it, and nothing of the path; any other message shows its text.
#pragma once

#include <cstdint>
#include <string>

#include "IConversationPane.h"

namespace chatwindow {

// body is trimmed already; appended in size points and colour, left aligned,
// ending with a line break.
void AppendMessageBody(IConversationPane& pane, const std::string& body, int size, int32_t colour);

}  // namespace chatwindow
