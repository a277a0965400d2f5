// The CHAT operand: a chat file, or the folder that holds one.
#pragma once

#include <string>

namespace cli {

// Sets modMain::ChatFilePath (the full path, which keys the chat's settings)
// and modMain::ChatFolder. Throws CliError(kExitNoChat) when there is no such
// file or folder, when the file is not a chat file, and when the folder holds
// no chat file or several.
void OpenChat(const std::string& argument);

}  // namespace cli
