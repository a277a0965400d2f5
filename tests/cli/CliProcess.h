// quillet-cli as a child process: run to the end with some input, or started
// and read while it runs (follow), then interrupted as Ctrl+C does.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace clitest {

struct CliResult {
    int exitCode = -1;  // 128 + signal when a signal ended it
    std::string out;
    std::string err;
};

// Runs quillet-cli with args, input on its standard input, and waits for it.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {});

class CliChild {
public:
    // withInput: standard input is a pipe that stays open until Input is called.
    explicit CliChild(const std::vector<std::string>& args, bool withInput = false);
    ~CliChild();  // kills a child that is still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    // Reads standard output until it holds needle (true) or seconds pass (false).
    bool WaitForOutput(const std::string& needle, int seconds);
    const std::string& Output() const { return out_; }
    // Writes text to standard input and closes it.
    void Input(const std::string& text);
    // Closes the reading end of standard output, as "| head -1" does once it has its line.
    void CloseOutput();
    // Sends SIGINT (Ctrl+C) and collects everything up to the end.
    CliResult Interrupt(int seconds = 10);
    // Collects everything up to the end the child comes to by itself.
    CliResult Finish(int seconds = 30);

private:
    // Reads what is there within timeoutMs; false once both streams are closed.
    bool Drain(int timeoutMs);

    pid_t pid_ = -1;
    int inFd_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
};

}  // namespace clitest
