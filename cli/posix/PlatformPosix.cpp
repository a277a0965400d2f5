// The standard streams, stop signals, folder checks and locks on POSIX.
//
// A stop signal must end follow even while a write to standard output is
// blocked (a reader that stopped reading). The handlers are installed without
// SA_RESTART, so the signal interrupts the write; and for a signal that lands
// just before the write begins, the handler arms an alarm that interrupts it a
// second later, and again until the write gives up.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "../Platform.h"
#include "../QuilletCli.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"

namespace cli {
namespace {

volatile sig_atomic_t stopSignal = 0;     // the signal that asked to stop, or 0
volatile sig_atomic_t inBlockingWrite = 0;
int stdoutErrno = 0;

void OnStopSignal(int signal) {
    if (stopSignal == 0) stopSignal = signal;
    if (inBlockingWrite) ::alarm(1);
}

void OnAlarm(int) {
    if (stopSignal != 0 && inBlockingWrite) ::alarm(1);
}

void Catch(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked call returns at once
    ::sigaction(signal, &action, nullptr);
}

// 0 when all was written, else the errno (EINTR for a stop request, when stoppable).
int WriteAll(int fd, std::string_view text, bool stoppable) {
    inBlockingWrite = stoppable;
    int error = 0;
    while (!text.empty()) {
        if (stoppable && stopSignal != 0) {
            error = EINTR;
            break;
        }
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    inBlockingWrite = 0;
    if (stoppable && stopSignal != 0) ::alarm(0);
    return error;
}

// Lines on standard input not yet taken as acknowledgements.
int pendingLines = 0;

}  // namespace

bool WriteStdout(std::string_view text) {
    stdoutErrno = WriteAll(STDOUT_FILENO, text, true);
    return stdoutErrno == 0;
}

bool WriteStderr(std::string_view text) { return WriteAll(STDERR_FILENO, text, false) == 0; }

std::string StdoutFailure() {
    if (stdoutErrno == 0 || stdoutErrno == EPIPE || stdoutErrno == EINTR) return {};
    return std::strerror(stdoutErrno);
}

bool StdoutIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool EnableTerminalColours() { return true; }

std::string ReadStdin(size_t maxBytes) {
    std::string text;
    char buffer[65536];
    while (text.size() <= maxBytes) {
        const size_t want = std::min(sizeof buffer, maxBytes + 1 - text.size());
        const ssize_t n = ::read(STDIN_FILENO, buffer, want);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) break;
        if (errno == EINTR && stopSignal == 0) continue;
        throw CliError(kExitFailed, std::string("quillet-cli: standard input: ") + std::strerror(errno));
    }
    return text;
}

Acknowledgement WaitForAcknowledgement() {
    char buffer[4096];
    while (pendingLines == 0) {
        if (stopSignal != 0) return Acknowledgement::Stopped;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, 250);
        if (ready < 0 && errno != EINTR) return Acknowledgement::Ended;
        if (ready <= 0) continue;
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Acknowledgement::Ended;
        for (ssize_t i = 0; i < n; ++i) pendingLines += buffer[i] == '\n';
    }
    --pendingLines;
    return Acknowledgement::Given;
}

void CatchStopRequests() {
    Catch(SIGINT, OnStopSignal);
    Catch(SIGTERM, OnStopSignal);
    Catch(SIGHUP, OnStopSignal);
    Catch(SIGALRM, OnAlarm);
    // A reader that goes away shows as a failed write, not as a killed process.
    ::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() { return stopSignal != 0; }

int StopExitStatus() { return stopSignal == SIGINT ? kExitInterrupted : kExitOk; }

void Pause(int milliseconds) {
    timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (stopSignal == 0 && ::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FolderListingProblem(const std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (!folder) return std::strerror(errno);
    errno = 0;
    ::readdir(folder);  // a folder may open and still refuse its entries
    const int error = errno;
    ::closedir(folder);
    return error ? std::strerror(error) : std::string();
}

// A lock file beside the settings file; without one (a read-only home) the
// command goes on unlocked.
struct IdentityLock::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0) ::close(fd);  // closing releases the lock
    }
};

IdentityLock::IdentityLock() : handle_(std::make_unique<Handle>()) {
    const std::string folder = outside::esGetFilePath(outside::SettingsStoreLocation());
    modCreateComplexDirectory::CreateComplexDirectory(folder, false);
    handle_->fd = ::open(outside::esBuildFileName2(folder, "quillet-cli.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC,
                         0600);
    if (handle_->fd >= 0) {
        while (::flock(handle_->fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

IdentityLock::~IdentityLock() = default;

std::string FollowStateFolder() {
    std::string base;
    if (const char* v = std::getenv("XDG_STATE_HOME"); v && *v == '/') {
        base = v;
    } else {
        const char* home = std::getenv("HOME");
        base = outside::esBuildFileName2((home && *home) ? home : "/tmp", ".local", "state");
    }
    return outside::esBuildFileName2(base, "greyfen-works", "quillet-cli");
}

}  // namespace cli
