// Copying a file of any size whole: what sending a file puts into the chat
// folder. The copy appears under its name only when every byte is there, as
// message files do, so a sync service never carries half of it.
#pragma once

#include <cstdint>
#include <string>

namespace outside {

// The size of the file at path, opened for reading as a copy opens it.
// Throws RuntimeError for a missing or unreadable file and for a folder.
uint64_t ReadableFileSize(const std::string& path);

// Copies from to a new file to: the bytes go to TemporaryNameFor(to), are
// flushed to the disk and then renamed into place (never over an existing
// file). Returns the number of bytes copied. Throws RuntimeError and then
// leaves nothing behind.
uint64_t CopyFileAtomically(const std::string& from, const std::string& to);

}  // namespace outside
