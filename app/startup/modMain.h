// Start-up: the command line, the start-up decision, the usage box, and the
// claim on the chat folder. Owns the process-wide values naming the open chat.
#pragma once

#include <string>

#include "outside/CommandLine.h"

namespace modMain {

enum class StartupDecision : int { Usage = 0, EntryWindow = 1, OpenChat = 2 };

// Full path of the open chat file; empty until a chat is chosen and claimed.
extern std::string ChatFilePath;
// The folder of the chat file, where every message file lives.
extern std::string ChatFolder;
// "/H" was given with a usable file.
extern bool StartHidden;

// Reads the process's command line.
StartupDecision ParseCommandLine();
StartupDecision ParseCommandLine(const outside::CommandLineArgs& args);
// Claims ChatFolder for this process; on false the user has been warned and
// ChatFolder and ChatFilePath are empty.
bool ClaimChatFolder();
// Gives up the claim (the process-wide guard object is released).
void ReleaseChatFolder();
void ShowUsage();
// The usage box text, for the program named by exePath.
std::string UsageText(const std::string& exePath);

// The program's entry point (windows, settings, message loop); returns the exit code.
int Main();

}  // namespace modMain
