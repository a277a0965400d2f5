// The program's top-level window objects, owned here for the life of the
// process and deleted only after the message loop has ended.
#pragma once

namespace startup {

// Loads the chat window on the chosen chat (ChatFilePath); hidden when asked.
// False when the window cannot be made.
bool LoadChatWindow(bool hidden);

}  // namespace startup
