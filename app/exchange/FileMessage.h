// A message that carries a file. The file itself lies in the files folder
// inside the chat folder, under a name that cannot collide; the message is an
// ordinary message whose text names it, so that a client that does not know
// the form still shows which file was sent:
//
//   Файл: отчёт за май.pdf (1 258 291 байт)
//   Файлы/2024-01-31 13-05-07-042 1a2b3c4d отчёт за май.pdf
//   an optional comment, on as many lines as it takes
//
// The first line gives the name as the sender's system spelt it and the exact
// size (digits grouped by no-break spaces); the second the copy's path
// relative to the chat folder. Only text of exactly this form is taken for a
// file message: the copy's name must be the sending time, eight hex digits and
// the name made safe (SafeFileName), so the name shown can never lead to
// another file, and the path can never leave the files folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "outside/DateTime.h"

namespace exchange {

// The files folder, inside the chat folder. Readers never list it.
inline constexpr const char* kFilesFolderName = "Файлы";
// Files above this size are sent only when the user says so.
inline constexpr uint64_t kLargeFileBytes = 100ull * 1024 * 1024;
// The longest name of a copy, in UTF-8 bytes: what Linux and macOS file
// systems take (Windows takes 255 UTF-16 units, which this never exceeds).
inline constexpr size_t kMaxStoredNameBytes = 255;

struct FileReference {
    std::string name;        // the name the sender's file had (made displayable)
    uint64_t size = 0;       // bytes
    std::string storedName;  // the copy's name in the files folder
    friend bool operator==(const FileReference&, const FileReference&) = default;
};

struct FileMessage {
    FileReference file;
    std::string comment;  // what follows the two lines; may be empty
    friend bool operator==(const FileMessage&, const FileMessage&) = default;
};

// A name as a message line can carry it: invalid UTF-8 and control characters
// become U+FFFD; an empty name becomes "файл".
std::string DisplayableFileName(std::string_view name);
// The name as a client shows it: displayable, and the direction marks that
// could disguise its extension shown as "_".
std::string ShownFileName(std::string_view name);
// The name with what Windows refuses in a name ("<>:\"/\\|?*", control
// characters, a trailing dot or blank) and the direction marks that could
// disguise an extension replaced by "_", cut (the extension kept) to maxBytes.
std::string SafeFileName(std::string_view name, size_t maxBytes);
// "YYYY-MM-DD HH-MM-SS-mmm xxxxxxxx NAME" (UTC), NAME the safe form of name,
// the whole at most kMaxStoredNameBytes. unique: eight lower-case hex digits.
std::string StoredFileName(const outside::DateTimeRecord& utc, std::string_view unique, std::string_view name);
// A new unique part for StoredFileName.
std::string NewUniquePart();

// "1 258 291 байт", the groups joined by U+00A0.
std::string FormatExactSize(uint64_t bytes);

std::string FileMessageText(const FileMessage& message);
// The file message a text holds, or nullopt for any other text. Line breaks
// may be CR LF, LF or CR.
std::optional<FileMessage> ParseFileMessage(std::string_view text);

// "Файлы/" + the stored name: how the message names the copy.
std::string RelativeFilePath(const std::string& storedName);
// Where the copy lies (or will lie) on this machine.
std::string AttachmentPath(const std::string& chatFolder, const std::string& storedName);
// A name of a copy as StoredFileName makes them: one safe name, never a path.
bool IsStoredFileName(std::string_view name);

// True for a name whose extension Windows runs as a program or a script when
// the file is opened (.exe, .bat, .js, .lnk, ... in any letter case): such a
// file is opened only when the user says so.
bool IsRunnableFileName(std::string_view name);

// What a link in the pane or the log carries: the size and the stored name.
std::string LinkTarget(const FileReference& file);
// The reference a link target names (name left empty); nullopt when it is not one.
std::optional<FileReference> ParseLinkTarget(std::string_view target);

}  // namespace exchange
