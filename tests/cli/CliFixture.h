// quillet-cli as a child process, run to the end or read while it runs; a home
// of its own for each test (settings, follow's state, the folder claims) and a
// chat folder with its chat file.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace clitest {

struct CliResult {
    int exitCode = -1;  // 128 + signal when a signal ended it; -1: it did not end
    std::string out;
    std::string err;
};

// A command line for sh -c in which "$QCLI" is quillet-cli; waits for the end.
CliResult RunShell(const std::string& commandLine, const std::string& input = {});
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {});
// text as one word of a shell command line.
std::string Quoted(const std::string& text);

class CliChild {
public:
    struct Shell {
        std::string commandLine;
    };
    // quillet-cli with args, or a shell command line; standard input stays open until Input closes it.
    explicit CliChild(const std::vector<std::string>& args);
    explicit CliChild(const Shell& shell);
    ~CliChild();  // kills a child that is still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    // Reads standard output until it holds needle (true) or seconds pass (false).
    bool WaitForOutput(const std::string& needle, int seconds);
    const std::string& Output() const { return out_; }
    void Input(const std::string& text, bool close = true);
    // Closes the reading end of standard output, as "| head -1" does once it has its line.
    void CloseOutput();
    // Sends a signal (Ctrl+C's by default), then Finish.
    CliResult Interrupt(int seconds = 10, int signal = 2, bool read = true);
    // Everything up to the end the child comes to by itself (without reading, a blocked write stays blocked).
    CliResult Finish(int seconds = 30, bool read = true);

private:
    bool Drain(int timeoutMs);  // false once both streams are closed

    pid_t pid_ = -1;
    int inFd_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
};

// One JSON object's members by name: null as nullopt, an array's items joined by line feeds.
using JsonObject = std::map<std::string, std::optional<std::string>>;
// One object a line; a line that is not such an object fails the test.
std::vector<JsonObject> ParseJsonLines(const std::string& text);
std::vector<std::string> Texts(const std::string& jsonLines);  // the messages' texts

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Sends text (options first) and gives the bare name of the file written.
    std::string Send(const std::string& text, const std::vector<std::string>& options = {}) const;
    std::vector<JsonObject> ReadJson() const { return ParseJsonLines(RunCli({"read", "--json", chatFile}).out); }
    // Names, sizes, times, modes and DOS attributes ("[]": none) of the files in the chat folder.
    std::string Snapshot() const;
    std::vector<std::string> FolderNames() const { return testsupport::FolderNames(chat.path()); }
    void RemoveMessageFiles() const;  // all but the chat file
    // Writes a file into the chat folder, last written ageSeconds ago; its path.
    std::string PutFile(const std::string& name, const std::string& bytes, int ageSeconds = 60) const;
    std::string PutCorpusFile(const std::string& corpusName, int ageSeconds = 60) const;

    testsupport::TempDir home;
    testsupport::TempDir chat;
    std::string chatFile;

private:
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> environment_;
};

}  // namespace clitest
