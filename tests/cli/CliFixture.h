// quillet-cli as a child process, run to the end or read while it runs; a
// home of its own for each test (settings, follow's state, the folder claims),
// a chat folder with its chat file, and helpers to look at both.
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
    // withInput: standard input is a pipe that stays open until Input is called;
    // shell: args are a command line for sh -c rather than quillet-cli's arguments.
    explicit CliChild(const std::vector<std::string>& args, bool withInput = false, bool shell = false);
    ~CliChild();  // kills a child that is still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    // Reads standard output until it holds needle (true) or seconds pass (false).
    bool WaitForOutput(const std::string& needle, int seconds);
    const std::string& Output() const { return out_; }
    // Writes text to standard input, then closes it unless asked to keep it open.
    void Input(const std::string& text, bool close = true);
    // Closes the reading end of standard output, as "| head -1" does once it has its line.
    void CloseOutput();
    // Sends SIGINT (Ctrl+C), or another signal, and collects everything up to the end.
    CliResult Interrupt(int seconds = 10, int signal = 2, bool read = true);
    // Collects everything up to the end the child comes to by itself; without
    // reading, a write the child has blocked in stays blocked. exitCode -1: it did not end.
    CliResult Finish(int seconds = 30, bool read = true);

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

// One JSON object as quillet-cli writes them: strings, numbers, true and false
// as their text; null as nullopt; an array of strings as its items joined by
// line feeds; the members of a nested object as "outer.inner".
using JsonObject = std::map<std::string, std::optional<std::string>>;
// One object a line; a line that is not such an object fails the test.
std::vector<JsonObject> ParseJsonLines(const std::string& text);

// The texts of the messages of JSON lines, in order.
std::vector<std::string> Texts(const std::string& jsonLines);

// text as one word of a shell command line.
std::string Quoted(const std::string& text);

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The settings this client keeps, read and written with the program's own store.
    std::string StoredClientGuid() const;
    void SetChatName(const std::string& name) const;
    void SetChatSwitch(const std::string& section, bool on) const;

    // Sends text (options first) and gives the bare name of the file written.
    std::string Send(const std::string& text, const std::vector<std::string>& options = {}) const;
    // The messages "read --json" gives for the chat.
    std::vector<JsonObject> ReadJson() const { return ParseJsonLines(RunCli({"read", "--json", chatFile}).out); }

    // What the folder looks like to anyone: names, sizes, times, modes and DOS attributes ("[]": none).
    std::string Snapshot() const;
    // Names of the files in the chat folder (all of them, hidden ones too).
    std::vector<std::string> FolderNames() const { return testsupport::FolderNames(chat.path()); }
    // Removes everything but the chat file.
    void RemoveMessageFiles() const;
    // Writes a file into the chat folder, last written ageSeconds ago.
    std::string PutFile(const std::string& name, const std::string& bytes, int ageSeconds = 60) const;
    std::string PutCorpusFile(const std::string& corpusName, int ageSeconds = 60) const;

    testsupport::TempDir home;
    testsupport::TempDir chat;
    std::string chatFile;

private:
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> environment_;
};

}  // namespace clitest
