#include "SettingsIni.h"

#include <charconv>

#include "outside/Support.h"

namespace outside::ini {
namespace {

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

}  // namespace

std::optional<std::string> Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = HexDigitValue(text[i + 1]);
        const int lo = HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

static std::string EncodeKey(std::string_view key) {
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
    // An editor may have put a byte-order mark first; it is no part of the first line.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    Document doc;
    bool inUsableSection = true;
    std::string current;
    while (!bytes.empty()) {
        const size_t eol = bytes.find('\n');
        std::string_view line = bytes.substr(0, eol);
        bytes.remove_prefix(eol == std::string_view::npos ? bytes.size() : eol + 1);
        // Every carriage return at the end goes, not only the last: a value
        // ending in one would lose it on the next write, and read differently.
        line = Trim(line);
        while (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
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

std::string TextValue(std::string_view text) { return "\"" + Encode(text, "", false) + "\""; }

std::string NumberValue(int32_t number) { return std::to_string(number); }

std::optional<std::string> ReadTextValue(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
    return Decode(value.substr(1, value.size() - 2));
}

std::optional<int32_t> ReadNumberValue(std::string_view value) {
    int32_t number = 0;
    const char* end = value.data() + value.size();
    const auto [next, error] = std::from_chars(value.data(), end, number);
    if (value.empty() || error != std::errc() || next != end) return std::nullopt;
    return number;
}

}  // namespace outside::ini
