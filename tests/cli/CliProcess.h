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
// Runs a shell command line (sh -c) in which "$QCLI" is quillet-cli: for
// pipes and redirections as users write them ("| head -1", "> /dev/full").
CliResult RunShell(const std::string& commandLine);

class CliChild {
public:
    // withInput: standard input is a pipe that stays open until Input is called.
    explicit CliChild(const std::vector<std::string>& args, bool withInput = false);
    // A shell command line, as RunShell runs it.
    static CliChild Shell(const std::string& commandLine);
    ~CliChild();  // kills a child that is still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;
    CliChild(CliChild&& other) noexcept;

    // Reads standard output until it holds needle (true) or seconds pass (false).
    bool WaitForOutput(const std::string& needle, int seconds);
    const std::string& Output() const { return out_; }
    // Writes text to standard input and closes it.
    void Input(const std::string& text);
    // Writes text to standard input and keeps it open.
    void Say(const std::string& text);
    // Closes the reading end of standard output, as "| head -1" does once it has its line.
    void CloseOutput();
    // Sends SIGINT (Ctrl+C), or another signal, and collects everything up to the end.
    CliResult Interrupt(int seconds = 10, int signal = 2);
    // Sends signal and waits for the end without reading the output, so that
    // a write the child has blocked in stays blocked; -1 when it did not end.
    int SignalWithoutReading(int signal, int seconds);
    // Collects everything up to the end the child comes to by itself.
    CliResult Finish(int seconds = 30);

private:
    CliChild(const std::vector<std::string>& argv, bool withInput, bool shell);
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
