#include "FollowState.h"

#include <cstdio>

#include "app/support/modCreateComplexDirectory.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace cli {
namespace {

constexpr uint64_t kMaxStateBytes = 64u * 1024u * 1024u;

// FNV-1a: a stable name for the chat's files, whatever its path holds.
std::string HashName(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

std::string EncodeStateLine(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string line;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        // A "#" first would make the line a comment.
        if (c < 0x20 || c == 0x7F || c == '%' || (c == '#' && line.empty())) {
            line += '%';
            line += kHex[c >> 4];
            line += kHex[c & 0x0F];
        } else {
            line += ch;
        }
    }
    return line;
}

bool DecodeStateLine(const std::string& line, std::string& name) {
    name.clear();
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (line[i] != '%') {
            name += line[i];
            continue;
        }
        if (i + 2 >= line.size()) return false;
        const int hi = outside::HexDigitValue(line[i + 1]);
        const int lo = outside::HexDigitValue(line[i + 2]);
        if (hi < 0 || lo < 0) return false;
        name += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return !name.empty();
}

FollowState::FollowState(const std::string& folder, const std::string& chatFilePath)
    : folder_(folder), chat_(chatFilePath), file_(outside::esBuildFileName2(folder, HashName(chatFilePath) + ".state")) {}

std::string FollowState::LedgerFile() const {
    return outside::esBuildFileName2(folder_, HashName(chat_) + ".ledger");
}

void FollowState::Load() {
    names_.clear();
    changed_ = false;
    exists_ = false;
    std::string bytes;
    try {
        bytes = outside::ReadFileBytes(file_, kMaxStateBytes);
    } catch (const outside::RuntimeError& e) {
        if (e.Number() != outside::ErrorNumberFromWin32(2) && e.Number() != outside::ErrorNumberFromWin32(3)) throw;
        changed_ = true;
        return;
    }
    exists_ = true;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        std::string name;
        if (!line.empty() && line[0] != '#' && DecodeStateLine(line, name)) names_.insert(name);
    }
}

void FollowState::Add(const std::string& name) {
    if (names_.insert(name).second) changed_ = true;
}

void FollowState::Save(const std::set<std::string>* present) {
    if (present) {
        for (auto it = names_.begin(); it != names_.end();) {
            if (present->count(*it)) {
                ++it;
            } else {
                it = names_.erase(it);
                changed_ = true;
            }
        }
    }
    if (!changed_) return;
    if (!modCreateComplexDirectory::CreateComplexDirectory(folder_, false))
        throw outside::RuntimeError(outside::kErrPathFileAccess, "the folder cannot be made: " + folder_);
    std::string bytes = "# quillet-cli follow: the message files of this chat printed so far\n# chat: " +
                        EncodeStateLine(chat_) + "\n";
    for (const std::string& name : names_) bytes += EncodeStateLine(name) + "\n";
    outside::WriteFileAtomically(file_, bytes);
    changed_ = false;
    exists_ = true;
}

}  // namespace cli
