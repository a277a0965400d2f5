// The INI-style text of the POSIX settings store: its parser and writer,
// apart from the file so that they can be fuzzed. See SettingsStorePosix.cpp
// for the format.
#pragma once

#include <cstdint>
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

// A "%XX" text as it stands in a file, and back (nullopt for a broken "%" sequence).
std::optional<std::string> Decode(std::string_view text);

// The two kinds of value: a quoted text and a bare decimal number. Each reader
// gives nullopt for a value of the other kind or a damaged one.
std::string TextValue(std::string_view text);
std::string NumberValue(int32_t number);
std::optional<std::string> ReadTextValue(std::string_view value);
std::optional<int32_t> ReadNumberValue(std::string_view value);

}  // namespace outside::ini
