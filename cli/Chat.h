// The CHAT operand: a chat file, or the folder that holds one.
#pragma once

#include <string>

#include "Arguments.h"
#include "app/startup/ClaimedChat.h"

namespace cli {

// The chat named: its ChatFilePath (the full path, which keys the chat's
// settings) and ChatFolder, not claimed. Throws CliError(kExitNoChat) when
// there is no such file or folder, when the file is not a chat file, when the
// folder cannot be read, and when it holds no chat file or several.
startup::ChatPtr OpenChat(const std::string& argument);
// The one operand of read and follow, opened; CliError(kExitUsage) for none or more.
startup::ChatPtr OpenChatOperand(const Arguments& arguments);

}  // namespace cli
