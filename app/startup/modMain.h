// Start-up: the command line, the start-up decision, the usage box, and the
// claim on the chat folder, which makes the open chat's value (ClaimedChat).
#pragma once

#include <string>

#include "ClaimedChat.h"
#include "outside/CommandLine.h"

namespace modMain {

enum class StartupDecision : int { Usage = 0, EntryWindow = 1, OpenChat = 2 };

// "/H" was given with a usable file.
extern bool StartHidden;

// Reads the process's command line; with OpenChat, chat is the claimed chat.
StartupDecision ParseCommandLine(startup::ChatPtr& chat);
StartupDecision ParseCommandLine(const outside::CommandLineArgs& args, startup::ChatPtr& chat);
// Claims chatFolder (the folder of chatFilePath) for this process: the chat's
// value, holding the claim; null when another holder has the folder, after
// the user has been warned.
startup::ChatPtr ClaimChatFolder(const std::string& chatFilePath, const std::string& chatFolder);
void ShowUsage();
// The usage box text, for the program named by exePath.
std::string UsageText(const std::string& exePath);

// The program's entry point (windows, settings, message loop); returns the exit code.
int Main();

}  // namespace modMain
