// What quillet-cli needs from the system beyond the program's own outside
// components: the standard streams, Ctrl+C, and where follow keeps its state.
// One implementation in posix/, one in win32/.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace cli {

// Text is UTF-8; a console gets it as characters, a pipe or file as bytes.
// False when the stream is gone (a reader that closed its end of a pipe).
bool WriteStdout(std::string_view text);
bool WriteStderr(std::string_view text);
bool StdoutIsTerminal();
bool StdinIsTerminal();
// Turns on colour escape sequences where the terminal has to be asked first;
// false when it cannot show them.
bool EnableTerminalColours();

// All of standard input, as UTF-8 when it comes from a console; throws RuntimeError.
std::string ReadStdin();

// From now on Ctrl+C (and a polite request to end) only sets a flag.
void CatchStopRequests();
bool StopRequested();
// Sleeps, waking early on a stop request.
void Pause(int milliseconds);

bool IsFolder(const std::string& path);

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
