#include "MessageLedger.h"

#include "outside/Sha256.h"

namespace exchange {
namespace {

constexpr const char* kHeader = "Quillet shown messages 1";
constexpr size_t kIdentityChars = 32;

bool IsIdentity(std::string_view line) {
    return line.size() == kIdentityChars && line.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

MessageLedger::MessageLedger(std::string file, size_t capacity)
    : file_(std::move(file), 4u * kIdentityChars * (capacity + 1) + 1024), capacity_(capacity) {}

std::string MessageLedger::Identity(const std::string& senderGuid, const outside::DateTimeRecord& time,
                                    const std::string& text) {
    // Lengths first, so that no two different triples give the same bytes.
    std::string bytes = std::to_string(senderGuid.size());
    bytes += ':';
    bytes += senderGuid;
    for (const uint16_t field : {time.year, time.month, time.day, time.hour, time.minute, time.second,
                                 time.milliseconds}) {
        bytes += ',';
        bytes += std::to_string(field);
    }
    bytes += ';';
    bytes += std::to_string(text.size());
    bytes += ':';
    bytes += text;
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const uint8_t b : outside::Sha256(bytes)) {
        if (out.size() == kIdentityChars) break;
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

bool MessageLedger::Load() {
    if (file_.GetState() == KeptFile::State::Read) return true;
    const std::optional<std::string> bytes = file_.Read();
    if (!bytes) return false;
    // What this run remembered before the file could be read comes after it.
    std::deque<std::string> remembered;
    remembered.swap(order_);
    std::unordered_map<std::string, bool> settled;
    settled.swap(known_);
    // Damaged lines are skipped; they are gone after the next write.
    size_t start = 0;
    while (start < bytes->size()) {
        size_t end = bytes->find('\n', start);
        if (end == std::string::npos) end = bytes->size();
        std::string_view line(bytes->data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (IsIdentity(line)) Add(std::string(line), true);
        start = end + 1;
    }
    for (const std::string& identity : remembered) Add(identity, settled[identity]);
    return true;
}

void MessageLedger::Add(const std::string& identity, bool settled) {
    const auto [it, added] = known_.emplace(identity, settled);
    if (!added) {
        it->second = it->second || settled;
        return;
    }
    order_.push_back(identity);
    while (order_.size() > capacity_) {
        known_.erase(order_.front());
        order_.pop_front();
    }
}

bool MessageLedger::Seen(const std::string& identity) {
    if (file_.GetState() == KeptFile::State::Unread) Load();
    return known_.count(identity) > 0;
}

void MessageLedger::Remember(const std::string& identity, const std::string& path) {
    if (file_.GetState() == KeptFile::State::Unread) Load();
    Add(identity, false);
    pending_[path] = identity;
}

void MessageLedger::Settle(const std::string& path) {
    const auto it = pending_.find(path);
    if (it == pending_.end()) return;
    if (const auto known = known_.find(it->second); known != known_.end() && !known->second) {
        known->second = true;
        dirty_ = true;
    }
    pending_.erase(it);
}

bool MessageLedger::Flush() {
    if (!dirty_) return true;
    std::string text = std::string(kHeader) + "\n";
    for (const std::string& identity : order_)
        if (known_[identity]) text += identity + "\n";
    if (!file_.Replace(text)) return false;  // kept in memory; the next flush tries again
    dirty_ = false;
    return true;
}

}  // namespace exchange
