// The portable part of the settings object: kinds, typed access and window
// placements. The platform files keep texts and numbers.
#include "SettingsStore.h"

#include <charconv>
#include <vector>

#include "RuntimeError.h"

namespace outside {
namespace {

// The show states of a placement, numbered as the window show commands are.
constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

bool FitsKind(ValueKind kind, const SettingValue& value) {
    switch (kind) {
        case ValueKind::String: return std::holds_alternative<std::string>(value);
        case ValueKind::Long: return std::holds_alternative<int32_t>(value);
        case ValueKind::Boolean: return std::holds_alternative<bool>(value);
    }
    return false;
}

void RequireKind(ValueKind kind, const SettingValue& value) {
    if (!FitsKind(kind, value))
        throw RuntimeError(kErrTypeMismatch, "Несоответствие типа: значение не того вида", "SettingsStore");
}

std::string PlacementSection(const std::string& section, const std::string& windowName) {
    if (windowName.empty())
        throw RuntimeError(kErrInvalidCall, "Не задано имя окна для его положения", "SettingsStore");
    const std::string placements = "Window Placements\\" + windowName;
    return section.empty() ? placements : section + "\\" + placements;
}

}  // namespace

SettingValue SettingsStore::ReadValue(const std::string& section, const std::string& key, ValueKind kind,
                                      const SettingValue& defaultValue) const {
    RequireKind(kind, defaultValue);
    switch (kind) {
        case ValueKind::String: return ReadString(section, key, std::get<std::string>(defaultValue));
        case ValueKind::Long: return ReadLong(section, key, std::get<int32_t>(defaultValue));
        case ValueKind::Boolean: return ReadBoolean(section, key, std::get<bool>(defaultValue));
    }
    return defaultValue;
}

void SettingsStore::WriteValue(const std::string& section, const std::string& key, ValueKind kind,
                               const SettingValue& value) {
    RequireKind(kind, value);
    switch (kind) {
        case ValueKind::String: WriteString(section, key, std::get<std::string>(value)); break;
        case ValueKind::Long: WriteLong(section, key, std::get<int32_t>(value)); break;
        case ValueKind::Boolean: WriteBoolean(section, key, std::get<bool>(value)); break;
    }
}

std::string SettingsStore::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    return LoadText(section, key).value_or(defaultValue);
}

int32_t SettingsStore::ReadLong(const std::string& section, const std::string& key, int32_t defaultValue) const {
    return LoadNumber(section, key).value_or(defaultValue);
}

bool SettingsStore::ReadBoolean(const std::string& section, const std::string& key, bool defaultValue) const {
    const std::optional<int32_t> number = LoadNumber(section, key);
    return number ? *number != 0 : defaultValue;
}

void SettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    StoreText(section, key, value);
}

void SettingsStore::WriteLong(const std::string& section, const std::string& key, int32_t value) {
    StoreNumber(section, key, value);
}

void SettingsStore::WriteBoolean(const std::string& section, const std::string& key, bool value) {
    StoreNumber(section, key, value ? 1 : 0);
}

void SettingsStore::SaveWindowPlacement(const std::string& section, const std::string& key,
                                        const std::string& windowName, const WindowPlacement& placement) {
    StoreText(PlacementSection(section, windowName), key, FormatWindowPlacement(placement));
}

bool SettingsStore::RestoreWindowPlacement(const std::string& section, const std::string& key,
                                           const std::string& windowName, WindowPlacement& placement) const {
    const std::optional<std::string> text = LoadText(PlacementSection(section, windowName), key);
    return text && ParseWindowPlacement(*text, placement);
}

std::string FormatWindowPlacement(const WindowPlacement& p) {
    return std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.right) + "," +
           std::to_string(p.bottom) + "," + std::to_string(p.maximized ? kShowMaximized : kShowNormal);
}

bool ParseWindowPlacement(const std::string& text, WindowPlacement& placement) {
    std::vector<int32_t> numbers;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (;;) {
        int32_t n = 0;
        const auto [next, error] = std::from_chars(at, end, n);
        if (error != std::errc() || next == at) return false;
        numbers.push_back(n);
        if (next == end) break;
        if (*next != ',') return false;
        at = next + 1;
    }
    if (numbers.size() != 5) return false;
    if (numbers[2] <= numbers[0] || numbers[3] <= numbers[1]) return false;
    if (numbers[4] != kShowNormal && numbers[4] != kShowMaximized) return false;
    placement = {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4] == kShowMaximized};
    return true;
}

}  // namespace outside
