// The settings store in an INI-style file: $XDG_CONFIG_HOME (or ~/.config)
// /greyfen-works/quillet.ini. Keys above the first header belong to the empty
// section:
//
//   My GUID="{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"
//   Send on Enter=0
//
//   [Icon Style\Tray]
//   /home/ann/Chats/Семья.ZPMFChat=3
//
// Texts are quoted, numbers are bare decimals: the two kinds of the registry
// (REG_SZ, REG_DWORD), so a value of the other kind reads as the default here
// too. In section names, keys and texts "%XX" stands for any byte that cannot
// stand as itself (a "%", control characters, "=" in a key, blanks at the
// edges), so everything round-trips exactly. Damaged lines are skipped (and
// gone after the next write); a damaged section header hides the lines under
// it rather than moving them into the section above. Writes lock the folder,
// re-read the file and replace it atomically, so two programs writing at once
// do not lose each other's keys.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "../RuntimeError.h"
#include "../SettingsStore.h"
#include "../Support.h"
#include "../TextFile.h"
#include "PosixError.h"

namespace outside {
namespace {

constexpr uint64_t kMaxStoreBytes = 64u * 1024u * 1024u;

struct Entry {
    std::string key;
    std::string value;  // as in the file: "quoted text" or a number
};
struct Section {
    std::string name;
    std::vector<Entry> entries;
};
using Document = std::vector<Section>;

std::string StoreFolder() {
    std::string config;
    if (const char* v = std::getenv("XDG_CONFIG_HOME"); v && *v == '/') {
        config = v;
    } else {
        const char* home = std::getenv("HOME");
        config = esBuildFileName2((home && *home) ? home : "/tmp", ".config");
    }
    return esBuildFileName2(config, "greyfen-works");
}

std::string StoreFile() { return esBuildFileName2(StoreFolder(), "quillet.ini"); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "%XX" for '%', control characters, the extra characters, and blanks at the
// edges when edges is set (the parser trims those).
std::string Encode(std::string_view text, std::string_view extra, bool edges) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool atEdge = edges && (i == 0 || i + 1 == text.size()) && IsBlank(text[i]);
        if (c < 0x20 || c == 0x7F || c == '%' || extra.find(text[i]) != std::string_view::npos || atEdge) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += text[i];
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// nullopt for a broken "%" sequence.
std::optional<std::string> Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = HexDigit(text[i + 1]);
        const int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string EncodeKey(std::string_view key) {
    // A key must not look like a section header or a comment either.
    const bool lookalike = !key.empty() && (key[0] == '[' || key[0] == ';' || key[0] == '#');
    if (!lookalike) return Encode(key, "=", true);
    return Encode(key.substr(0, 1), key.substr(0, 1), true) + Encode(key.substr(1), "=", true);
}

Section* FindSection(Document& doc, const std::string& name) {
    for (Section& s : doc)
        if (s.name == name) return &s;
    return nullptr;
}

Entry* FindEntry(Section& section, const std::string& key) {
    for (Entry& e : section.entries)
        if (e.key == key) return &e;
    return nullptr;
}

void Put(Document& doc, const std::string& section, const std::string& key, std::string value) {
    Section* s = FindSection(doc, section);
    if (!s) {
        // The empty section is written first, without a header.
        s = section.empty() ? &*doc.insert(doc.begin(), Section{section, {}}) : &doc.emplace_back(Section{section, {}});
    }
    if (Entry* e = FindEntry(*s, key))
        e->value = std::move(value);
    else
        s->entries.push_back({key, std::move(value)});
}

Document Parse(std::string_view bytes) {
    Document doc;
    bool inUsableSection = true;
    std::string current;
    while (!bytes.empty()) {
        const size_t eol = bytes.find('\n');
        std::string_view line = bytes.substr(0, eol);
        bytes.remove_prefix(eol == std::string_view::npos ? bytes.size() : eol + 1);
        line = Trim(line);
        if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            std::optional<std::string> name;
            if (line.size() >= 2 && line.back() == ']') name = Decode(Trim(line.substr(1, line.size() - 2)));
            inUsableSection = name.has_value();
            if (name) current = *name;
            continue;
        }
        if (!inUsableSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::optional<std::string> key = Decode(Trim(line.substr(0, eq)));
        if (!key) continue;
        Put(doc, current, *key, std::string(Trim(line.substr(eq + 1))));
    }
    return doc;
}

std::string Serialize(const Document& doc) {
    std::string out = "; Quillet settings. Texts are quoted; %XX stands for a byte that cannot stand as itself.\n";
    for (const Section& s : doc) {
        if (s.entries.empty()) continue;
        if (!s.name.empty()) out += "\n[" + Encode(s.name, "", true) + "]\n";
        for (const Entry& e : s.entries) out += EncodeKey(e.key) + "=" + e.value + "\n";
    }
    return out;
}

// strict: a file that exists but cannot be read throws (a write must not
// replace settings it could not read); otherwise it reads as empty.
Document LoadDocument(bool strict) {
    try {
        return Parse(ReadFileBytes(StoreFile(), kMaxStoreBytes));
    } catch (const RuntimeError& e) {
        const bool missing = e.Number() == ErrorNumberFromWin32(2) || e.Number() == ErrorNumberFromWin32(3);
        if (strict && !missing) throw;
        return {};
    }
}

std::optional<std::string> LoadRaw(const std::string& section, const std::string& key) {
    Document doc = LoadDocument(false);
    Section* s = FindSection(doc, section);
    if (!s) return std::nullopt;
    const Entry* e = FindEntry(*s, key);
    if (!e) return std::nullopt;
    return e->value;
}

// Serialises writers, also across processes; released when it goes out of scope.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

void StoreRaw(const std::string& section, const std::string& key, std::string value) {
    const std::string folder = StoreFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw ErrnoError(ec.value(), folder);
    FolderLock lock(folder);
    Document doc = LoadDocument(true);
    Put(doc, section, key, std::move(value));
    WriteFileAtomically(StoreFile(), Serialize(doc));
}

}  // namespace

std::string SettingsStoreLocation() { return StoreFile(); }

std::optional<std::string> SettingsStore::LoadText(const std::string& section, const std::string& key) {
    const std::optional<std::string> raw = LoadRaw(section, key);
    if (!raw || raw->size() < 2 || raw->front() != '"' || raw->back() != '"') return std::nullopt;
    return Decode(std::string_view(*raw).substr(1, raw->size() - 2));
}

std::optional<int32_t> SettingsStore::LoadNumber(const std::string& section, const std::string& key) {
    const std::optional<std::string> raw = LoadRaw(section, key);
    if (!raw || raw->empty()) return std::nullopt;
    int32_t value = 0;
    const char* end = raw->data() + raw->size();
    const auto [next, error] = std::from_chars(raw->data(), end, value);
    if (error != std::errc() || next != end) return std::nullopt;
    return value;
}

void SettingsStore::StoreText(const std::string& section, const std::string& key, const std::string& value) {
    StoreRaw(section, key, "\"" + Encode(value, "", false) + "\"");
}

void SettingsStore::StoreNumber(const std::string& section, const std::string& key, int32_t value) {
    StoreRaw(section, key, std::to_string(value));
}

}  // namespace outside
