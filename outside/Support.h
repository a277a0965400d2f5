// The support functions the program calls for files, paths, text and numbers.
// Failures are thrown as RuntimeError. Paths and texts are UTF-8.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace outside {

// ---- Files and paths -------------------------------------------------------

// True when a file (not a folder) of exactly this name exists.
bool esIsFileExist(const std::string& path);
// The absolute form of a relative or absolute path; empty when it cannot be formed.
std::string esGetFullFileName(const std::string& path, bool resolve = true);
// The folder part of a path, without a trailing separator unless it is a root ("C:\", "/").
std::string esGetFilePath(const std::string& path);
// The name after the folder; without its extension when withoutExtension is true.
std::string esGetFileName(const std::string& path, bool withoutExtension = false);
// The extension without the dot; empty when none.
std::string esGetFileExtension(const std::string& path);
// Joins parts with single separators, skipping empty parts (at most nine).
std::string esBuildFileName2(std::initializer_list<std::string_view> parts);
template <typename... Parts>
std::string esBuildFileName2(const Parts&... parts) {
    static_assert(sizeof...(Parts) <= 9, "at most nine parts");
    return esBuildFileName2({std::string_view(parts)...});
}
// True for the platform's path separators.
bool IsPathSeparator(char c);
// The platform's preferred separator.
char PathSeparator();

enum SpecialFolder : int {
    kFolderStartup = 7,
    kFolderAppData = 26,
};
std::string esGetSpecialFolder(int folderId);
std::string esGetModuleFileName(int module = 0, bool fullPath = true);
// A new, unique, empty temporary file; in the temporary folder when folder is empty.
std::string esGetTempFileName2(const std::string& folder = {}, const std::string& prefix = "TMP");
std::string asGetTempFileName2(const std::string& folder = {}, const std::string& prefix = "TMP");
uint64_t esGetFileSizeEx(const std::string& path);
void esRegisterAppPath();

// ---- Text and numbers ------------------------------------------------------

// Trims the ends: blanks at the start and end, line breaks (CR, LF) at the
// start and end; tabsAndNuls also trims tabs and U+0000 at both ends. The
// remaining switches are reserved and always off.
std::string asTrimEx2(std::string_view text, bool leadingBlanks, bool trailingBlanks, bool leadingBreaks,
                      bool trailingBreaks, bool tabsAndNuls = false, bool = false, bool = false, bool = false,
                      bool = false, bool = false);
std::string asTrimEx(std::string_view text);
// The text without its last n characters (code points).
std::string asCutRight(std::string_view text, size_t n);
std::string asFormatLong(int32_t value);
// "512 байт", "1,5 КБ", "12,3 МБ".
std::string asFormatByteSizeEx(uint64_t size);
// Decimal for the program's own numbers, "0x" and eight hex digits for HRESULT-style ones.
std::string asGetErrorNumber(long number);
// Eight upper-case hex digits.
std::string asHexEx4(uint32_t value);
// The value of one hex digit of either case; -1 for any other character.
int HexDigitValue(char c);
// false for "false", "" and "0"; true for "true" and other numbers; letter case
// and surrounding blanks ignored. Anything else throws a type-mismatch error.
bool esStringToBool(std::string_view text);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string esGetNewGUID();
std::string esGetFullUserName(int = -1, int = -1);
int32_t esLoWord(int64_t value);
// True only in a development run; a built program is never one.
inline bool esIsInIDE() { return false; }

// Parses a whole decimal number (blanks around it allowed) into 16 bits, as the
// readers of message files need: throws kErrTypeMismatch for a non-number and
// kErrOverflow beyond -32768..32767.
int16_t ParseInt16(std::string_view text);

}  // namespace outside
