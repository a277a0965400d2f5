// The text-file object: whole files in, whole files out.
//
// Writing is atomic: the text goes to a temporary file beside the target
// (".~" + name + ".tmp", which no message-file pattern lists), which is then
// renamed over the target; a failed write leaves neither file behind.
// Reading shares read, write and delete access, so it never blocks a writer or
// a synchronisation service, and refuses files above a size limit without
// reading them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "RuntimeError.h"

namespace outside {

enum class TextEncoding : int {
    Utf8 = 1,     // no byte-order mark; an empty text gives an empty file (chat files)
    Utf8Bom = 3,  // byte-order mark first (message files)
};

constexpr uint64_t kMaxMessageFileBytes = 4u * 1024u * 1024u;

// Decodes file bytes: UTF-8 with or without BOM, UTF-16 LE/BE with BOM, and
// BOM-less text that is not valid UTF-8 as the ANSI code page (cp1251 on POSIX).
std::string DecodeTextBytes(std::string_view bytes);
std::string AnsiToUtf8(std::string_view bytes);  // platform

class TextFile {
public:
    void WriteText(const std::string& path, std::string_view text, TextEncoding encoding);
    // Throws kErrFileTooLarge (without reading) for a file above maxBytes.
    std::string ReadText(const std::string& path, uint64_t maxBytes = kMaxMessageFileBytes);
    void WriteBytes(const std::string& path, std::string_view bytes);
};

// The process's one text-file object.
TextFile& TheTextFile();

// Platform file primitives the text-file object and the XML document use.
// ReadFileBytes shares read, write and delete access and throws
// kErrFileTooLarge before reading a file above maxBytes.
std::string ReadFileBytes(const std::string& path, uint64_t maxBytes);
// Reads a file of any size piece by piece through buffer, sharing as
// ReadFileBytes does: take gets each piece (at most buffer.size() bytes) and
// returns false to stop early. Throws RuntimeError when the file cannot be
// opened or read.
void ReadFilePieces(const std::string& path, std::string& buffer,
                    const std::function<bool(std::string_view piece)>& take);
// Writes bytes to a temporary file beside path and renames it into place;
// durable also flushes them to the disk before the rename.
void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable = false);
// For a file that grows in place and must survive a crash (the conversation
// log): writes bytes at offset into the existing file, cuts it off after them
// and flushes it to the disk, in one write. The file must be expectedSize
// bytes long; when it is missing or of another size, kErrFileChanged is
// thrown and nothing is written.
void OverwriteFileTail(const std::string& path, uint64_t expectedSize, uint64_t offset, std::string_view bytes);
RuntimeError FileChangedError(const std::string& path);
// The temporary name used for path while it is written.
std::string TemporaryNameFor(const std::string& path);
// Renames from over to (replacing to); throws RuntimeError.
void ReplaceFile(const std::string& from, const std::string& to);
// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path) noexcept;

}  // namespace outside
