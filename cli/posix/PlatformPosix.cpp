#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "../Platform.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/RuntimeError.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"

namespace cli {
namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool WriteStdout(std::string_view text) { return WriteAll(STDOUT_FILENO, text); }
bool WriteStderr(std::string_view text) { return WriteAll(STDERR_FILENO, text); }
bool StdoutIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool EnableTerminalColours() { return true; }

std::string ReadStdin() {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) return text;
        if (errno == EINTR && !stopRequested) continue;
        throw outside::RuntimeError(outside::kErrPathFileAccess, "standard input cannot be read");
    }
}

void CatchStopRequests() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep ends at once
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    // A reader that goes away shows as a failed write, not as a killed process.
    ::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() { return stopRequested != 0; }

void Pause(int milliseconds) {
    timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (!stopRequested && ::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
