// The INI-style text of the POSIX settings store: its parser and writer,
// apart from the file so that they can be fuzzed. See SettingsStorePosix.cpp
// for the format.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace outside::ini {

struct Entry {
    std::string key;
    std::string value;  // as in the file: "quoted text" or a number
    friend bool operator==(const Entry&, const Entry&) = default;
};
struct Section {
    std::string name;
    std::vector<Entry> entries;
    friend bool operator==(const Section&, const Section&) = default;
};
using Document = std::vector<Section>;


// Damaged lines are skipped; a damaged section header hides the lines under it.
Document Parse(std::string_view bytes);
std::string Serialize(const Document& doc);
void Put(Document& doc, const std::string& section, const std::string& key, std::string value);
Section* FindSection(Document& doc, const std::string& name);
Entry* FindEntry(Section& section, const std::string& key);

// A text value as it stands between the quotes, and back (nullopt for a broken "%" sequence).
std::string EncodeText(std::string_view text);
std::optional<std::string> Decode(std::string_view text);

}  // namespace outside::ini
