#include "CliProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace clitest {
namespace {

struct Spawned {
    pid_t pid;
    int in;  // -1 when standard input is /dev/null
    int out;
    int err;
};

// argv[0] is the program.
Spawned Spawn(std::vector<std::string> all, bool withInput) {
    int in[2] = {-1, -1}, out[2], err[2];
    if ((withInput && ::pipe2(in, O_CLOEXEC) != 0) || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (withInput)
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (withInput) ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) throw std::runtime_error("posix_spawn failed");
    return {pid, withInput ? in[1] : -1, out[0], err[0]};
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

long long NowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Moves what a ready descriptor has into text; closes it at its end.
void ReadInto(int& fd, std::string& text) {
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        text.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& input) {
    // Inputs here are small: written whole before anything is read back.
    CliChild child(args, true);
    child.Input(input);
    CliResult result = child.Finish(60);
    if (result.exitCode < 0) result.err += "\n(killed: it did not end within a minute)";
    return result;
}

CliResult RunShell(const std::string& commandLine) {
    CliResult result = CliChild::Shell(commandLine).Finish(60);
    if (result.exitCode < 0) result.err += "\n(killed: it did not end within a minute)";
    return result;
}

CliChild CliChild::Shell(const std::string& commandLine) {
    ::setenv("QCLI", QUILLET_CLI, 1);
    return CliChild({"/bin/sh", "-c", commandLine}, false, true);
}

CliChild::CliChild(const std::vector<std::string>& args, bool withInput) : CliChild(args, withInput, false) {}

CliChild::CliChild(CliChild&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      inFd_(std::exchange(other.inFd_, -1)),
      outFd_(std::exchange(other.outFd_, -1)),
      errFd_(std::exchange(other.errFd_, -1)),
      out_(std::move(other.out_)),
      err_(std::move(other.err_)) {}

CliChild::CliChild(const std::vector<std::string>& args, bool withInput, bool shell) {
    // A reader that stops early must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> argv;
    if (!shell) argv.push_back(QUILLET_CLI);
    argv.insert(argv.end(), args.begin(), args.end());
    const Spawned child = Spawn(argv, withInput);
    pid_ = child.pid;
    inFd_ = child.in;
    outFd_ = child.out;
    errFd_ = child.err;
}

CliChild::~CliChild() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {inFd_, outFd_, errFd_})
        if (fd >= 0) ::close(fd);
}

void CliChild::CloseOutput() {
    if (outFd_ >= 0) ::close(outFd_);
    outFd_ = -1;
}

void CliChild::Say(const std::string& text) {
    for (size_t written = 0; inFd_ >= 0 && written < text.size();) {
        const ssize_t n = ::write(inFd_, text.data() + written, text.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
}

void CliChild::Input(const std::string& text) {
    Say(text);
    if (inFd_ >= 0) ::close(inFd_);
    inFd_ = -1;
}

bool CliChild::Drain(int timeoutMs) {
    if (outFd_ < 0 && errFd_ < 0) return false;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) > 0) {
        if (fds[0].revents) ReadInto(outFd_, out_);
        if (fds[1].revents) ReadInto(errFd_, err_);
    }
    return true;
}

bool CliChild::WaitForOutput(const std::string& needle, int seconds) {
    const long long deadline = NowMs() + seconds * 1000LL;
    while (out_.find(needle) == std::string::npos) {
        const long long left = deadline - NowMs();
        if (left <= 0 || !Drain(static_cast<int>(left))) return false;
    }
    return true;
}

CliResult CliChild::Interrupt(int seconds, int signal) {
    ::kill(pid_, signal);
    return Finish(seconds);
}

int CliChild::SignalWithoutReading(int signal, int seconds) {
    ::kill(pid_, signal);
    for (const long long deadline = NowMs() + seconds * 1000LL; NowMs() < deadline;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return ExitCodeOf(status);
        }
        const timespec pause{0, 20 * 1000000L};
        ::nanosleep(&pause, nullptr);
    }
    return -1;
}

CliResult CliChild::Finish(int seconds) {
    CliResult result;
    const long long deadline = NowMs() + seconds * 1000LL;
    while (NowMs() < deadline && Drain(100)) {
    }
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            result.exitCode = ExitCodeOf(status);
            pid_ = -1;
            break;
        }
        if (NowMs() >= deadline) break;  // still running: the destructor kills it
        const timespec pause{0, 10 * 1000000L};
        ::nanosleep(&pause, nullptr);
    }
    result.out = out_;
    result.err = err_;
    return result;
}

}  // namespace clitest
