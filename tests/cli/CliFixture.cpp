#include "CliFixture.h"

#include "outside/SettingsStore.h"
#include "outside/Support.h"

namespace clitest {
namespace {

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}

    bool Object(JsonObject& object) { return Eat('{') && Members(object, "") && AtEnd(); }

private:
    // The members up to the closing brace; a nested object's as "outer.inner".
    bool Members(JsonObject& object, const std::string& prefix) {
        if (Eat('}')) return true;
        do {
            std::string key;
            std::optional<std::string> value;
            if (!String(key) || !Eat(':')) return false;
            if (Eat('{')) {
                if (!Members(object, prefix + key + ".")) return false;
                continue;
            }
            if (!Value(value)) return false;
            object[prefix + key] = value;
        } while (Eat(','));
        return Eat('}');
    }
    bool AtEnd() const { return i_ == s_.size(); }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool Literal(const std::string& word) {
        if (s_.compare(i_, word.size(), word) != 0) return false;
        i_ += word.size();
        return true;
    }
    bool Value(std::optional<std::string>& value) {
        std::string text;
        if (i_ < s_.size() && s_[i_] == '"') {
            if (!String(text)) return false;
        } else if (Eat('[')) {
            if (!Eat(']')) {
                do {
                    std::string item;
                    if (!String(item)) return false;
                    text += (text.empty() ? "" : "\n") + item;
                } while (Eat(','));
                if (!Eat(']')) return false;
            }
        } else if (Literal("null")) {
            value.reset();
            return true;
        } else if (Literal("true")) {
            text = "true";
        } else if (Literal("false")) {
            text = "false";
        } else if (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') text += s_[i_++];
        } else {
            return false;
        }
        value = text;
        return true;
    }
    bool String(std::string& out) {
        if (!Eat('"')) return false;
        while (i_ < s_.size() && s_[i_] != '"') {
            const char c = s_[i_++];
            if (static_cast<unsigned char>(c) < 0x20) return false;  // raw control characters are not JSON
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (i_ + 4 > s_.size()) return false;
                    const unsigned code = std::stoul(s_.substr(i_, 4), nullptr, 16);
                    i_ += 4;
                    if (code >= 0x80) return false;  // only the escapes quillet-cli writes
                    out += static_cast<char>(code);
                    break;
                }
                default: return false;
            }
        }
        return Eat('"');
    }

    const std::string& s_;
    size_t i_ = 0;
};

}  // namespace

std::vector<std::string> Texts(const std::string& jsonLines) {
    std::vector<std::string> texts;
    for (const JsonObject& m : ParseJsonLines(jsonLines)) texts.push_back(m.at("text").value_or("(null)"));
    return texts;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
    return n;
}

std::vector<JsonObject> ParseJsonLines(const std::string& text) {
    std::vector<JsonObject> objects;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        JsonObject object;
        if (JsonReader(line).Object(object))
            objects.push_back(object);
        else
            ADD_FAILURE() << "not a JSON object: " << line;
    }
    return objects;
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

void CliTest::TearDown() { environment_.clear(); }

std::string CliTest::StoredClientGuid() const { return outside::SettingsStore().ReadString("", "My GUID", ""); }

void CliTest::SetChatName(const std::string& name) const {
    outside::SettingsStore().WriteString("Nicks", chatFile, name);
}

void CliTest::SetChatSwitch(const std::string& section, bool on) const {
    outside::SettingsStore().WriteBoolean(section, chatFile, on);
}

std::string CliTest::PutFile(const std::string& name, const std::string& bytes, int ageSeconds) const {
    const std::string path = chat / name;
    testsupport::WriteAged(path, bytes, ageSeconds);
    return path;
}

std::string CliTest::PutCorpusFile(const std::string& corpusName, int ageSeconds) const {
    return PutFile(corpusName, testsupport::ReadRaw(testsupport::CorpusPath("messages/" + corpusName)), ageSeconds);
}

std::string CliTest::PutMessage(const std::string& name, const std::string& utc, const std::string& text) const {
    // Year, month, day, hour, minute, second, milliseconds, name, text, GUID, joined by U+0000.
    std::string record;
    for (const char c : utc) record += (c >= '0' && c <= '9') ? c : '\0';
    record += std::string(1, '\0') + "Гость" + '\0' + text + '\0' + "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
    return PutFile(name, record);
}

}  // namespace clitest
