// quillet-cli: takes part in a chat from a terminal, on the program's own
// readers, writers, settings and folder watcher.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,      // a file could not be written, or the output went away
    kExitUsage = 2,       // unknown command or option, missing argument, nothing to send
    kExitNoChat = 3,      // no such chat file, not a chat file, not a chat folder
    kExitBadFiles = 4,    // check: a file is broken or cannot be read yet
    kExitFolderInUse = 5, // follow: another client on this machine has the chat folder
    kExitInterrupted = 130, // follow: ended by Ctrl+C (128 + SIGINT, as shells count it)
};

// A failure the command reports in one line and ends with.
class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_;
};

// args: the arguments after the program name, UTF-8.
int RunCli(const std::vector<std::string>& args);

}  // namespace cli
