#include "MessageLedger.h"

#include "app/support/modCreateComplexDirectory.h"
#include "outside/RuntimeError.h"
#include "outside/Sha256.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {
namespace {

constexpr const char* kHeader = "Quillet shown messages 1";
constexpr size_t kIdentityChars = 32;

bool IsIdentity(std::string_view line) {
    return line.size() == kIdentityChars && line.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

MessageLedger::MessageLedger(std::string file, size_t capacity) : file_(std::move(file)), capacity_(capacity) {}

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

void MessageLedger::Load() {
    if (loaded_) return;
    loaded_ = true;
    if (file_.empty()) return;
    std::string bytes;
    try {
        bytes = outside::ReadFileBytes(file_, 4u * kIdentityChars * (capacity_ + 1) + 1024);
    } catch (const outside::RuntimeError&) {
        return;  // none yet, or unreadable: start empty (at worst a copy shows once more)
    }
    // Damaged lines are skipped; they are gone after the next write.
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (IsIdentity(line)) Add(std::string(line), true);
        start = end + 1;
    }
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
    Load();
    return known_.count(identity) > 0;
}

void MessageLedger::Remember(const std::string& identity, const std::string& path) {
    Load();
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
    if (!dirty_ || file_.empty()) return true;
    std::string text = std::string(kHeader) + "\n";
    for (const std::string& identity : order_)
        if (known_[identity]) text += identity + "\n";
    // The write below says whether the folder is there.
    modCreateComplexDirectory::CreateComplexDirectory(outside::esGetFilePath(file_), false);
    try {
        outside::WriteFileAtomically(file_, text);
    } catch (const outside::RuntimeError&) {
        return false;  // kept in memory; the next flush tries again
    }
    dirty_ = false;
    return true;
}

}  // namespace exchange
