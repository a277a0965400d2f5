#include "CliFixture.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "outside/Support.h"

namespace clitest {
namespace {

// The JSON quillet-cli writes: strings with the escapes it uses, whole numbers,
// literals, arrays of strings, and one level of nested object.
const std::string kString = R"("(?:[^"\\\x00-\x1f]|\\["\\nrt]|\\u00[0-7][0-9a-f])*")";
const std::string kScalar = "(?:" + kString + R"(|\d+|true|false|null|\[(?:)" + kString + "(?:," + kString + ")*)?\\])";
const std::string kMember = kString + ":" + kScalar;
const std::string kOuterMember = kString + ":(?:" + kScalar + "|\\{" + kMember + "(?:," + kMember + ")*\\})";
const std::regex kObject("\\{(?:" + kOuterMember + "(?:," + kOuterMember + ")*)?\\}");
const std::regex kToken(kString + R"(|\d+|true|false|null|[{}\[\]])");

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

// Members of a line kObject matched: a key, then its value, an array or a nested object.
JsonObject Members(const std::string& line) {
    JsonObject object;
    std::optional<std::string> key;
    std::string prefix;
    bool inArray = false;
    for (std::sregex_iterator it(line.begin(), line.end(), kToken), end; it != end; ++it) {
        const std::string token = it->str();
        if (token == "{") {
            if (key) prefix = *key + ".";
            key.reset();
        } else if (token == "}") {
            prefix.clear();
        } else if (token == "[") {
            object[prefix + *key] = "";
            inArray = true;
        } else if (token == "]") {
            inArray = false;
            key.reset();
        } else if (inArray) {
            std::string& items = *object[prefix + *key];
            items += (items.empty() ? "" : "\n") + Unescaped(token);
        } else if (!key) {
            key = Unescaped(token);
        } else {
            object[prefix + *key] = token == "null" ? std::nullopt : std::optional(Unescaped(token));
            key.reset();
        }
    }
    return object;
}

}  // namespace

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
