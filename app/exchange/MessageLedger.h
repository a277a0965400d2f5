// The ledger of shown messages: a binary or XML message already shown in this
// chat (same client GUID, time and text) is not shown again, under any name —
// the copies sync services make ("(conflicted copy …)", ".sync-conflict-…",
// "-MACHINE") and hidden files that come back visible after a re-sync.
//
// An identity is a SHA-256 fingerprint (first 128 bits) of GUID, time and
// text; plain-text messages carry no identity and stay out. The ledger keeps
// the newest kCapacity identities, in memory and in one file per chat (beside
// the chat's logs), which holds at most that many lines. An identity reaches
// the file only once its message file is hidden or deleted — by then the
// message is in the log — so a kill at any moment can cost a repeat, never a
// message.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>

#include "KeptFile.h"
#include "outside/DateTime.h"

namespace exchange {

inline constexpr const char* kLedgerFileName = "Shown.ledger";

class MessageLedger {
public:
    static constexpr size_t kCapacity = 16384;

    // file: where the ledger lives between runs; empty keeps it in memory only.
    explicit MessageLedger(std::string file = {}, size_t capacity = kCapacity);

    static std::string Identity(const std::string& senderGuid, const outside::DateTimeRecord& time,
                                const std::string& text);

    // Reads the file on first use, and again while it could not be read; what
    // was remembered meanwhile is kept. False while it cannot be read.
    bool Load();
    bool Unreadable() const { return file_.GetState() == KeptFile::State::Unreadable; }
    // Why it could not be read or written, and where it is.
    const std::string& LastError() const { return file_.LastError(); }
    const std::string& Path() const { return file_.Path(); }

    bool Seen(const std::string& identity);
    // Shown now from the file at path: known for the rest of this run at once.
    void Remember(const std::string& identity, const std::string& path);
    // The file at path is hidden or deleted: its identity is kept for later runs too.
    void Settle(const std::string& path);
    // Writes the settled identities to the file when there are new ones; false
    // when that failed, or while the file could not be read (it is not replaced then).
    bool Flush();

    size_t Size() const { return order_.size(); }

private:
    void Add(const std::string& identity, bool settled);

    KeptFile file_;
    size_t capacity_;
    bool dirty_ = false;
    std::deque<std::string> order_;                 // oldest first
    std::unordered_map<std::string, bool> known_;   // identity -> settled
    std::map<std::string, std::string> pending_;    // path -> identity shown from it, not yet settled
};

}  // namespace exchange
