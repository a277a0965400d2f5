// The program's top-level window objects, owned here for the life of the
// process and deleted only after the message loop has ended.
#pragma once

#include "app/startup/ClaimedChat.h"
#include "outside/RuntimeError.h"

namespace startup {

// Loads the chat window on the claimed chat, which it keeps; hidden when asked.
// Throws RuntimeError when the window cannot be made.
void LoadChatWindow(ChatPtr chat, bool hidden);
// The box of a program that cannot go on: "Не удалось запустить программу."
// and the error, at start-up and after the entry window alike.
void ReportStartFailure(const outside::RuntimeError& error);

}  // namespace startup
