#include "FileMessage.h"

#include <cctype>
#include <cstdio>
#include <limits>

#include "outside/Support.h"
#include "outside/Utf.h"

namespace exchange {
namespace {

constexpr std::string_view kFileLinePrefix = "Файл: ";
constexpr std::string_view kSizeUnit = " байт";
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
// "YYYY-MM-DD HH-MM-SS-mmm xxxxxxxx " before the name.
constexpr size_t kStampLength = 23;
constexpr size_t kStoredPrefixLength = kStampLength + 1 + 8 + 1;
constexpr size_t kMaxExtensionBytes = 32;

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF; }

// Marks that reverse or isolate the direction of what follows: with one a
// name can show ".pdf" at its end and be a program.
bool IsDirectionMark(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool RefusedByWindows(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'\\' || c == u'|' ||
           c == u'?' || c == u'*';
}

void ReplaceTrailingDotsAndBlanks(std::u16string& name) {
    for (size_t i = name.size(); i > 0 && (name[i - 1] == u'.' || name[i - 1] == u' '); --i) name[i - 1] = u'_';
}

size_t Utf8Bytes(std::u16string_view text) { return outside::Utf16ToUtf8(text).size(); }

// The longest start of text of at most maxBytes UTF-8 bytes, never cutting a surrogate pair.
std::u16string CutToBytes(std::u16string_view text, size_t maxBytes) {
    size_t bytes = 0, i = 0;
    while (i < text.size()) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
        const size_t units = pair ? 2 : 1;
        const size_t need = pair ? 4 : (text[i] < 0x80 ? 1 : text[i] < 0x800 ? 2 : 3);
        if (bytes + need > maxBytes) break;
        bytes += need;
        i += units;
    }
    return std::u16string(text.substr(0, i));
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::optional<uint64_t> ParseCount(std::string_view digits) {
    if (!AllDigits(digits) || digits.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Only the form FormatExactSize writes.
std::optional<uint64_t> ParseExactSize(std::string_view text) {
    if (text.size() <= kSizeUnit.size() || text.substr(text.size() - kSizeUnit.size()) != kSizeUnit)
        return std::nullopt;
    std::string digits;
    for (std::string_view rest = text.substr(0, text.size() - kSizeUnit.size()); !rest.empty();) {
        if (rest.substr(0, kNoBreakSpace.size()) == kNoBreakSpace) {
            rest.remove_prefix(kNoBreakSpace.size());
            continue;
        }
        digits += rest.front();
        rest.remove_prefix(1);
    }
    const std::optional<uint64_t> value = ParseCount(digits);
    if (!value || FormatExactSize(*value) != text) return std::nullopt;
    return value;
}

// Splits off the first line; its break (CR LF, LF or CR) goes with it.
std::string_view TakeLine(std::string_view& text, bool& ended) {
    const size_t end = text.find_first_of("\r\n");
    ended = end != std::string_view::npos;
    const std::string_view line = text.substr(0, end);
    if (!ended) {
        text = {};
        return line;
    }
    const size_t breakLength = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
    text.remove_prefix(end + breakLength);
    return line;
}

bool IsStamp(std::string_view s) {
    // "YYYY-MM-DD HH-MM-SS-mmm"
    static constexpr std::string_view kShape = "9999-99-99 99-99-99-999";
    if (s.size() != kShape.size()) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (kShape[i] == '9' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != kShape[i]) return false;
    }
    return true;
}

bool IsUniquePart(std::string_view s) {
    if (s.size() != 8) return false;
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

std::string DisplayableFileName(std::string_view name) {
    std::u16string wide = outside::Utf8ToUtf16(name);
    for (char16_t& c : wide)
        if (IsControl(c)) c = 0xFFFD;
    std::string out = outside::Utf16ToUtf8(wide);
    return out.empty() ? std::string("файл") : out;
}

std::string ShownFileName(std::string_view name) {
    std::u16string shown = outside::Utf8ToUtf16(DisplayableFileName(name));
    for (char16_t& c : shown)
        if (IsDirectionMark(c)) c = u'_';
    return outside::Utf16ToUtf8(shown);
}

std::string SafeFileName(std::string_view name, size_t maxBytes) {
    std::u16string safe = outside::Utf8ToUtf16(DisplayableFileName(name));
    for (char16_t& c : safe)
        if (RefusedByWindows(c) || IsDirectionMark(c)) c = u'_';
    ReplaceTrailingDotsAndBlanks(safe);
    if (Utf8Bytes(safe) > maxBytes) {
        // Cut the stem; keep a short extension whole, so the copy opens with the same program.
        const size_t dot = safe.rfind(u'.');
        std::u16string extension;
        if (dot != std::u16string::npos && dot > 0 && Utf8Bytes(safe.substr(dot)) <= kMaxExtensionBytes)
            extension = safe.substr(dot);
        safe = CutToBytes(safe.substr(0, safe.size() - extension.size()), maxBytes - Utf8Bytes(extension)) + extension;
        ReplaceTrailingDotsAndBlanks(safe);
    }
    return outside::Utf16ToUtf8(safe);
}

std::string StoredFileName(const outside::DateTimeRecord& t, std::string_view unique, std::string_view name) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u-%02u-%02u-%03u ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.milliseconds % 1000);
    return stamp + std::string(unique) + " " + SafeFileName(name, kMaxStoredNameBytes - kStoredPrefixLength);
}

std::string NewUniquePart() {
    std::string unique = outside::esGetNewGUID().substr(1, 8);
    for (char& c : unique) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return unique;
}

std::string FormatExactSize(uint64_t bytes) {
    const std::string digits = std::to_string(bytes);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += kNoBreakSpace;
        out += digits[i];
    }
    return out + std::string(kSizeUnit);
}

std::string FileMessageText(const FileMessage& message) {
    std::string text = std::string(kFileLinePrefix) + message.file.name + " (" + FormatExactSize(message.file.size) +
                       ")\r\n" + RelativeFilePath(message.file.storedName);
    if (!message.comment.empty()) text += "\r\n" + message.comment;
    return text;
}

std::optional<FileMessage> ParseFileMessage(std::string_view text) {
    bool ended = false;
    const std::string_view first = TakeLine(text, ended);
    if (!ended) return std::nullopt;
    const std::string_view second = TakeLine(text, ended);

    if (first.substr(0, kFileLinePrefix.size()) != kFileLinePrefix || first.empty() || first.back() != ')')
        return std::nullopt;
    const size_t open = first.rfind(" (");
    if (open == std::string_view::npos || open <= kFileLinePrefix.size()) return std::nullopt;
    const std::optional<uint64_t> size = ParseExactSize(first.substr(open + 2, first.size() - open - 3));
    const std::string name(first.substr(kFileLinePrefix.size(), open - kFileLinePrefix.size()));
    if (!size || DisplayableFileName(name) != name) return std::nullopt;

    const std::string folder = std::string(kFilesFolderName) + "/";
    if (second.substr(0, folder.size()) != folder) return std::nullopt;
    const std::string stored(second.substr(folder.size()));
    // The copy must be the file named on the first line, and nothing else.
    if (!IsStoredFileName(stored) ||
        stored.substr(kStoredPrefixLength) != SafeFileName(name, kMaxStoredNameBytes - kStoredPrefixLength))
        return std::nullopt;
    return FileMessage{{name, *size, stored}, std::string(text)};
}

std::string RelativeFilePath(const std::string& storedName) { return std::string(kFilesFolderName) + "/" + storedName; }

std::string AttachmentPath(const std::string& chatFolder, const std::string& storedName) {
    return outside::esBuildFileName2(chatFolder, kFilesFolderName, storedName);
}

bool IsStoredFileName(std::string_view name) {
    if (name.size() <= kStoredPrefixLength || name.size() > kMaxStoredNameBytes || !outside::IsValidUtf8(name))
        return false;
    if (!IsStamp(name.substr(0, kStampLength)) || name[kStampLength] != ' ' ||
        !IsUniquePart(name.substr(kStampLength + 1, 8)) || name[kStoredPrefixLength - 1] != ' ')
        return false;
    const std::string_view rest = name.substr(kStoredPrefixLength);
    return SafeFileName(rest, kMaxStoredNameBytes) == rest;
}

bool IsRunnableFileName(std::string_view name) {
    // Windows' list of executable file types (the "designated file types" of
    // its software restriction policies), and the script hosts' own.
    static constexpr std::string_view kRunnable[] = {
        "ade", "adp", "app", "application", "appref-ms", "asp", "bas", "bat", "cer", "chm", "cmd", "cnt", "com", "cpl",
        "crt", "csh", "der", "diagcab", "exe", "fxp", "gadget", "grp", "hlp", "hpj", "hta", "inf", "ins", "isp", "its",
        "jar", "jnlp", "js", "jse", "ksh", "lnk", "mad", "maf", "mag", "mam", "maq", "mar", "mas", "mat", "mau", "mav",
        "maw", "mcf", "mda", "mdb", "mde", "mdt", "mdw", "mdz", "msc", "msh", "msh1", "msh1xml", "msh2", "msh2xml",
        "mshxml", "msi", "msp", "mst", "msu", "ops", "osd", "pcd", "pif", "pl", "plg", "prf", "prg", "ps1", "ps1xml",
        "ps2", "ps2xml", "psc1", "psc2", "psd1", "psm1", "pst", "py", "pyc", "pyo", "pyw", "pyz", "pyzw", "reg", "scf",
        "scr", "sct", "settingcontent-ms", "shb", "shs", "theme", "tmp", "url", "vb", "vbe", "vbp", "vbs", "vhd",
        "vhdx", "vsmacros", "vsw", "webpnp", "website", "ws", "wsb", "wsc", "wsf", "wsh", "xbap", "xll", "xnk"};
    // Windows drops trailing dots and blanks from a name: "a.exe." runs as "a.exe".
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string_view runnable : kRunnable)
        if (extension == runnable) return true;
    return false;
}

std::string LinkTarget(const FileReference& file) { return std::to_string(file.size) + " " + file.storedName; }

std::optional<FileReference> ParseLinkTarget(std::string_view target) {
    const size_t blank = target.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::optional<uint64_t> size = ParseCount(target.substr(0, blank));
    const std::string_view stored = target.substr(blank + 1);
    if (!size || !IsStoredFileName(stored)) return std::nullopt;
    return FileReference{{}, *size, std::string(stored)};
}

}  // namespace exchange
