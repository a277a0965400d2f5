#include "CliFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "outside/Support.h"

extern char** environ;

namespace clitest {
namespace {

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

std::string CliLine(const std::vector<std::string>& args) {
    std::string line = "exec \"$QCLI\"";  // exec: signals reach quillet-cli itself
    for (const std::string& arg : args) line += " " + Quoted(arg);
    return line;
}

// The JSON quillet-cli writes: strings with the escapes it uses, whole numbers,
// literals, arrays of strings, and one level of nested object.
const std::string kString = R"("(?:[^"\\\x00-\x1f]|\\["\\nrt]|\\u00[0-7][0-9a-f])*")";
const std::string kScalar = "(?:" + kString + R"(|\d+|true|false|null|\[(?:)" + kString + "(?:," + kString + ")*)?\\])";
const std::string kMember = kString + ":" + kScalar;
const std::string kOuterMember = kString + ":(?:" + kScalar + "|\\{" + kMember + "(?:," + kMember + ")*\\})";
const std::regex kObject("\\{(?:" + kOuterMember + "(?:," + kOuterMember + ")*)?\\}");

std::string Unescaped(const std::string& token) {
    if (token[0] != '"') return token;
    std::string out;
    for (size_t i = 1; i + 1 < token.size(); ++i) {
        if (token[i] != '\\') {
            out += token[i];
        } else if (token[++i] == 'u') {
            out += static_cast<char>(std::stoi(token.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            out += token[i] == 'n' ? '\n' : token[i] == 'r' ? '\r' : token[i] == 't' ? '\t' : token[i];
        }
    }
    return out;
}

// Members of a line kObject matched; a nested object's as "outer.inner".
JsonObject Members(const std::string& line) {
    static const std::regex memberOrEnd("(" + kString + "):(\\{|" + kScalar + ")|\\}");
    static const std::regex item(kString);
    JsonObject object;
    std::string prefix;
    for (std::sregex_iterator it(line.begin(), line.end(), memberOrEnd), end; it != end; ++it) {
        if (!(*it)[1].matched) {
            prefix.clear();
            continue;
        }
        const std::string key = prefix + Unescaped((*it)[1]), value = (*it)[2];
        if (value == "{") {
            prefix = key + ".";
        } else if (value[0] == '[') {
            std::string& items = *(object[key] = "");
            for (std::sregex_iterator i(value.begin(), value.end(), item); i != end; ++i)
                items += (items.empty() ? "" : "\n") + Unescaped(i->str());
        } else {
            object[key] = value == "null" ? std::nullopt : std::optional(Unescaped(value));
        }
    }
    return object;
}

}  // namespace

CliResult RunShell(const std::string& commandLine, const std::string& input) {
    CliChild child(CliChild::Shell{commandLine});
    child.Input(input);  // inputs here are small: written whole before anything is read back
    CliResult result = child.Finish(60);
    if (result.exitCode < 0) result.err += "\n(killed: it did not end within a minute)";
    return result;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& input) {
    return RunShell(CliLine(args), input);
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliChild::CliChild(const std::vector<std::string>& args) : CliChild(Shell{CliLine(args)}) {}

CliChild::CliChild(const Shell& shell) {
    // A reader that stops early must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    ::setenv("QCLI", QUILLET_CLI, 1);
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::string argv0 = "/bin/sh", dashC = "-c", line = shell.commandLine;
    char* argv[] = {argv0.data(), dashC.data(), line.data(), nullptr};
    const int rc = ::posix_spawn(&pid_, argv0.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], err[1]}) ::close(fd);
    inFd_ = in[1];
    outFd_ = out[0];
    errFd_ = err[0];
    if (rc != 0) throw std::runtime_error("posix_spawn failed");
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

void CliChild::Input(const std::string& text, bool close) {
    for (size_t written = 0; inFd_ >= 0 && written < text.size();) {
        const ssize_t n = ::write(inFd_, text.data() + written, text.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    if (close && inFd_ >= 0) ::close(inFd_);
    if (close) inFd_ = -1;
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

CliResult CliChild::Interrupt(int seconds, int signal, bool read) {
    ::kill(pid_, signal);
    return Finish(seconds, read);
}

CliResult CliChild::Finish(int seconds, bool read) {
    const long long deadline = NowMs() + seconds * 1000LL;
    while (read && NowMs() < deadline && Drain(100)) {
    }
    CliResult result;
    for (int status = 0;; ::usleep(10000)) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            result.exitCode = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
            pid_ = -1;
            break;
        }
        if (NowMs() >= deadline) break;  // still running: the destructor kills it
    }
    result.out = out_;
    result.err = err_;
    return result;
}

std::vector<JsonObject> ParseJsonLines(const std::string& text) {
    std::vector<JsonObject> objects;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, kObject))
            objects.push_back(Members(line));
        else
            ADD_FAILURE() << "not a JSON object: " << line;
    }
    return objects;
}

std::vector<std::string> Texts(const std::string& jsonLines) {
    std::vector<std::string> texts;
    for (const JsonObject& m : ParseJsonLines(jsonLines)) texts.push_back(m.at("text").value_or("(null)"));
    return texts;
}

void CliTest::SetUp() {
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"HOME", home.path()},
                                      {"XDG_CONFIG_HOME", home / "config"},
                                      {"XDG_STATE_HOME", home / "state"},
                                      {"XDG_RUNTIME_DIR", home.path()}})
        environment_.push_back(std::make_unique<testsupport::ScopedEnv>(name, value));
    chatFile = chat / "Беседа.ZPMFChat";
    testsupport::WriteRaw(chatFile, "");
}

std::string CliTest::Send(const std::string& text, const std::vector<std::string>& options) const {
    std::vector<std::string> args{"send"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {chatFile, text});
    const CliResult sent = RunCli(args);
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    return outside::esGetFileName(sent.out.substr(0, sent.out.find('\n')));
}

std::string CliTest::Snapshot() const {
    std::string text;
    for (const std::string& name : FolderNames()) {
        struct stat st {};
        ::stat((chat / name).c_str(), &st);
        char attributes[64] = {};
        ::getxattr((chat / name).c_str(), "user.DOSATTRIB", attributes, sizeof attributes - 1);
        text += name + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_mode) + " [" + attributes + "]\n";
    }
    return text;
}

void CliTest::RemoveMessageFiles() const {
    for (const std::string& name : FolderNames())
        if (chat / name != chatFile) std::filesystem::remove_all(chat / name);
}

std::string CliTest::PutFile(const std::string& name, const std::string& bytes, int ageSeconds) const {
    const std::string path = chat / name;
    testsupport::WriteAged(path, bytes, ageSeconds);
    return path;
}

std::string CliTest::PutCorpusFile(const std::string& corpusName, int ageSeconds) const {
    return PutFile(corpusName, testsupport::ReadRaw(testsupport::CorpusPath("messages/" + corpusName)), ageSeconds);
}

}  // namespace clitest
