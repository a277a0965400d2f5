// A file the client keeps about a chat beside its logs: the ledger of shown
// messages, the list of files it has processed. Such a file is history that
// cannot be rebuilt, so one that is there but cannot be read (held by a backup
// or a virus scanner for a moment, a damaged disk) is never taken for an empty
// one and never replaced: it is read again later, and written only once a read
// has worked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace exchange {

class KeptFile {
public:
    // path empty: nothing on disk, every call succeeds.
    KeptFile(std::string path, uint64_t maxBytes) : path_(std::move(path)), maxBytes_(maxBytes) {}

    enum class State { Unread, Read, Unreadable };
    State GetState() const { return state_; }
    const std::string& Path() const { return path_; }
    // "Ошибка N: ..." of the last read or write that failed.
    const std::string& LastError() const { return lastError_; }

    // Reads the file unless it has been read already: its bytes ("" when there
    // is none yet), or nullopt when it is there but cannot be read.
    std::optional<std::string> Read();
    // Replaces the whole file; refused (false) until a read has worked.
    bool Replace(std::string_view bytes);
    // Adds bytes to the end of the file as this object last left it, flushed
    // to the disk; false when that did not work (Replace then writes it whole).
    bool Append(std::string_view bytes);

private:
    std::string path_;
    uint64_t maxBytes_;
    State state_ = State::Unread;
    uint64_t size_ = 0;
    bool onDisk_ = false;
    std::string lastError_;
};

}  // namespace exchange
