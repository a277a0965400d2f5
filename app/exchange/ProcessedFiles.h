// What this client has done with the files of a shared folder, kept per chat
// beside its logs: the names of the message files it has processed (shown,
// or found broken), so that a pass reads only new files where nobody may hide
// or delete another's file; and its own message files with their sending
// time, which it deletes once they are older than the chat's retention.
//
// The file is a journal: each batch adds its lines (flushed to the disk), and
// the file is written anew only when forgotten names make up most of it. A
// name reaches it only after the log holding the file's message is saved, so
// a kill can cost a repeat, never a message.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "KeptFile.h"
#include "outside/DateTime.h"

namespace exchange {

inline constexpr const char* kProcessedFileName = "Processed.files";

// Seconds since 1970-01-01 00:00 of a UTC record.
int64_t SecondsSinceEpoch(const outside::DateTimeRecord& utc);

class ProcessedFiles {
public:
    // file: where the list lives between runs; empty keeps it in memory only.
    explicit ProcessedFiles(std::string file = {});

    // Reads the file on first use, and again while it could not be read (see
    // KeptFile); false while it cannot be read.
    bool Load();
    bool Unreadable() const { return file_.GetState() == KeptFile::State::Unreadable; }
    const std::string& LastError() const { return file_.LastError(); }
    const std::string& Path() const { return file_.Path(); }

    bool Contains(const std::string& name) const { return processed_.count(name) > 0; }
    void MarkProcessed(const std::string& name);
    // One of this client's own files, sent at sentSeconds (SecondsSinceEpoch).
    void RememberOwn(const std::string& name, int64_t sentSeconds);
    // Forgets processed names no longer in the folder; own files stay until they are deleted.
    void KeepOnly(const std::unordered_set<std::string>& present);
    // Own files sent before the cutoff, oldest first.
    std::vector<std::string> OwnSentBefore(int64_t cutoffSeconds) const;
    // An own file that is gone.
    void ForgetOwn(const std::string& name);
    // Writes what is new; false when that failed (kept for the next save) or
    // while the file could not be read.
    bool Save();

    size_t Size() const { return processed_.size(); }
    size_t OwnFiles() const { return own_.size(); }

private:
    void Read(const std::string& bytes);

    KeptFile file_;
    std::unordered_set<std::string> processed_;
    std::unordered_map<std::string, int64_t> own_;
    std::string unsaved_;    // lines not yet in the file
    size_t fileLines_ = 0;   // lines the file holds
    bool unterminated_ = false;  // its last line lacks its line break
};

}  // namespace exchange
