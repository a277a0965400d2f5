// The settings object: values addressed by section and key, and window
// placements, kept for the current user.
//
// Windows keeps them in the registry under
// HKEY_CURRENT_USER\Software\Greyfen Works\Quillet (one subkey per section, a
// backslash in a section nests subkeys, the key is the value name); POSIX keeps
// them in an INI-style file under the XDG config folder. A read gives the last
// value written under the same section and key when it is of the kind asked
// for, and the default in every other case (nothing stored, wrong kind,
// unreadable store). A failed write throws RuntimeError.
//
// The object holds no state of its own: make one per use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace outside {

enum class ValueKind : int { String = 0, Long = 1, Boolean = 3 };

// The value of one kind: std::string for String, int32_t for Long, bool for Boolean.
using SettingValue = std::variant<std::string, int32_t, bool>;

// Where a window was: its normal (restored) rectangle in the coordinates the
// platform's window placement uses, and whether it was maximized.
struct WindowPlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool maximized = false;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

class SettingsStore {
public:
    // A value and default of a type other than the kind's throw kErrTypeMismatch.
    SettingValue ReadValue(const std::string& section, const std::string& key, ValueKind kind,
                           const SettingValue& defaultValue) const;
    void WriteValue(const std::string& section, const std::string& key, ValueKind kind, const SettingValue& value);

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    int32_t ReadLong(const std::string& section, const std::string& key, int32_t defaultValue) const;
    bool ReadBoolean(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteLong(const std::string& section, const std::string& key, int32_t value);
    void WriteBoolean(const std::string& section, const std::string& key, bool value);

    // Placements are kept apart per section, key and window name (not empty).
    void SaveWindowPlacement(const std::string& section, const std::string& key, const std::string& windowName,
                             const WindowPlacement& placement);
    // False, leaving placement alone, when nothing usable was stored.
    bool RestoreWindowPlacement(const std::string& section, const std::string& key, const std::string& windowName,
                                WindowPlacement& placement) const;

private:
    // The platform's part: a text or a 32-bit number under section and key,
    // nullopt when nothing of that type is stored there.
    static std::optional<std::string> LoadText(const std::string& section, const std::string& key);
    static std::optional<int32_t> LoadNumber(const std::string& section, const std::string& key);
    static void StoreText(const std::string& section, const std::string& key, const std::string& value);
    static void StoreNumber(const std::string& section, const std::string& key, int32_t value);
};

// Where the store keeps its data: the registry key on Windows, the file on POSIX.
std::string SettingsStoreLocation();

// The placement text kept in the store, and its parser (false for anything
// that is not a whole, non-empty rectangle with a known state).
std::string FormatWindowPlacement(const WindowPlacement& placement);
bool ParseWindowPlacement(const std::string& text, WindowPlacement& placement);

}  // namespace outside
