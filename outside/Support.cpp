// The portable support functions: path grammar and text/number helpers. The
// platform decides only what a separator is (IsPathSeparator, PathSeparator).
#include "Support.h"

#include <cctype>
#include <cstdio>

#include "RuntimeError.h"
#include "Utf.h"

namespace outside {
namespace {

// Length of the root prefix that must keep its separators: "C:\", "C:", "\\server\share\", "/".
size_t RootLength(std::string_view path) {
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        PathSeparator() == '\\') {
        return (path.size() >= 3 && IsPathSeparator(path[2])) ? 3 : 2;
    }
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // UNC: two leading separators, server, share.
        size_t i = 2;
        for (int part = 0; part < 2; ++part) {
            while (i < path.size() && !IsPathSeparator(path[i])) ++i;
            if (i < path.size()) ++i;
        }
        return i;
    }
    if (!path.empty() && IsPathSeparator(path[0])) return 1;
    return 0;
}

size_t LastSeparator(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

// Start of the name part: after the last separator, or after "C:".
size_t NameStart(std::string_view path) {
    const size_t sep = LastSeparator(path);
    if (sep != std::string_view::npos) return sep + 1;
    const size_t root = RootLength(path);
    return root;
}

}  // namespace

std::string esGetFilePath(const std::string& path) {
    const size_t sep = LastSeparator(path);
    if (sep == std::string::npos) {
        const size_t root = RootLength(path);
        return path.substr(0, root);
    }
    const size_t root = RootLength(path);
    if (sep + 1 <= root) return path.substr(0, root);
    size_t end = sep;
    while (end > root && IsPathSeparator(path[end - 1])) --end;
    return path.substr(0, end);
}

std::string esGetFileName(const std::string& path, bool withoutExtension) {
    std::string name = path.substr(NameStart(path));
    if (withoutExtension) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.erase(dot);
    }
    return name;
}

std::string esGetFileExtension(const std::string& path) {
    const std::string name = path.substr(NameStart(path));
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string esBuildFileName2(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        if (out.empty()) {
            out.assign(part);
            continue;
        }
        // Exactly one separator at the joint; the root of the first part keeps its own.
        const size_t keep = RootLength(out);
        while (out.size() > keep && IsPathSeparator(out.back())) out.pop_back();
        while (!part.empty() && IsPathSeparator(part.front())) part.remove_prefix(1);
        if (part.empty()) continue;
        if (out.empty() || !IsPathSeparator(out.back())) {
            // "C:" alone joins as "C:\".
            out += PathSeparator();
        }
        out.append(part);
    }
    return out;
}

std::string asTrimEx2(std::string_view text, bool leadingBlanks, bool trailingBlanks, bool leadingBreaks,
                      bool trailingBreaks, bool tabsAndNuls, bool, bool, bool, bool, bool) {
    const auto trims = [&](char c, bool atStart) {
        if (c == ' ') return atStart ? leadingBlanks : trailingBlanks;
        if (c == '\r' || c == '\n') return atStart ? leadingBreaks : trailingBreaks;
        if (c == '\t' || c == '\0') return tabsAndNuls;
        return false;
    };
    while (!text.empty() && trims(text.front(), true)) text.remove_prefix(1);
    while (!text.empty() && trims(text.back(), false)) text.remove_suffix(1);
    return std::string(text);
}

std::string asTrimEx(std::string_view text) { return asTrimEx2(text, true, true, false, false); }

std::string asCutRight(std::string_view text, size_t n) {
    size_t end = text.size();
    while (n > 0 && end > 0) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        --n;
    }
    return std::string(text.substr(0, end));
}

std::string asFormatLong(int32_t value) { return std::to_string(value); }

std::string asGetErrorNumber(long number) {
    if (number < 0) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(number)));
        return buf;
    }
    return std::to_string(number);
}

std::string asHexEx4(uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(value));
    return buf;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

namespace {

bool ParseWhole(std::string_view text, long long& value) {
    const std::string t = asTrimEx2(text, true, true, false, false, true);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > 10'000'000'000LL) v = 10'000'000'000LL;  // saturate: overflow is decided by the caller
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace

int16_t ParseInt16(std::string_view text) {
    long long v = 0;
    if (!ParseWhole(text, v)) throw RuntimeError(kErrTypeMismatch, "Несоответствие типа");
    if (v < -32768 || v > 32767) throw RuntimeError(kErrOverflow, "Переполнение");
    return static_cast<int16_t>(v);
}

bool esStringToBool(std::string_view text) {
    std::string t = asTrimEx(text);
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t.empty() || t == "false") return false;
    if (t == "true") return true;
    long long v = 0;
    if (ParseWhole(t, v)) return v != 0;
    throw RuntimeError(kErrTypeMismatch, "Несоответствие типа");
}

int32_t esLoWord(int64_t value) { return static_cast<int32_t>(static_cast<uint64_t>(value) & 0xFFFF); }

// The same Russian text on every platform (the shell's own text is English under Wine).
std::string asFormatByteSizeEx(uint64_t size) {
    static const char* const kUnits[] = {"КБ", "МБ", "ГБ", "ТБ"};
    if (size < 1024) return std::to_string(size) + " байт";
    double value = static_cast<double>(size) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    char buf[32];
    if (value < 10.0)
        std::snprintf(buf, sizeof buf, "%.1f", value);
    else
        std::snprintf(buf, sizeof buf, "%.0f", value);
    std::string number(buf);
    for (char& c : number)
        if (c == '.') c = ',';
    return number + " " + kUnits[unit];
}

}  // namespace outside
