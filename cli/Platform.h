// What quillet-cli needs from the system beyond the program's own outside
// components: the standard streams, Ctrl+C, and where follow keeps its state.
// One implementation in posix/, one in win32/.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace cli {

// Text is UTF-8; a console gets it as characters, a pipe or file as bytes.
// False when not all of it was written: the stream is gone (a reader that
// closed its end of a pipe), it failed, or a stop request ended the wait.
bool WriteStdout(std::string_view text);
bool WriteStderr(std::string_view text);
// Why the last WriteStdout failed, in the system's words ("No space left on
// device"); empty when its reader went away or a stop request ended it.
std::string StdoutFailure();
bool StdoutIsTerminal();
bool StdinIsTerminal();
// Turns on colour escape sequences where the terminal has to be asked first;
// false when it cannot show them.
bool EnableTerminalColours();

// Standard input up to maxBytes + 1 bytes (so that a caller can tell it was
// longer than maxBytes), as UTF-8 when it comes from a console. Throws
// CliError with the system's reason.
std::string ReadStdin(size_t maxBytes);

enum class Acknowledgement { Given, Ended, Stopped };
// Waits for one line on standard input: Ended when it has ended or failed,
// Stopped on a stop request.
Acknowledgement WaitForAcknowledgement();

// From now on Ctrl+C (and a polite request to end) only sets a flag, and
// ends a write to standard output that is blocked.
void CatchStopRequests();
bool StopRequested();
// The exit status of a run a stop request ended: 130 after Ctrl+C, 0 after a
// polite request to end (SIGTERM, a closing console).
int StopExitStatus();

// Sleeps, waking early on a stop request.
void Pause(int milliseconds);

bool IsFolder(const std::string& path);
// Empty when the folder can be listed, else the system's reason ("Permission denied").
std::string FolderListingProblem(const std::string& path);

// Held while this client's GUID is read and, on first use, made and stored:
// two commands started at once must not make two GUIDs.
class IdentityLock {
public:
    IdentityLock();
    ~IdentityLock();
    IdentityLock(const IdentityLock&) = delete;
    IdentityLock& operator=(const IdentityLock&) = delete;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// The folder for follow's per-chat state files; empty where follow hides the
// files it has printed, as the program does (Windows).
std::string FollowStateFolder();

}  // namespace cli
