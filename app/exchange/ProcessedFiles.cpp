#include "ProcessedFiles.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "outside/Support.h"

namespace exchange {
namespace {

constexpr const char* kHeader = "Quillet processed files 1";
// Above this many lines per name held, the journal is written anew.
constexpr size_t kLinesPerName = 2;
constexpr size_t kJournalSlack = 1024;
// Names are kept whole; the list never holds more than the folder does.
constexpr uint64_t kMaxFileBytes = 64u * 1024u * 1024u;

// A name in a line: '%', control characters and DEL as %XX, so that any name
// a file system allows (POSIX allows line breaks) stays on its line.
std::string Escape(const std::string& name) {
    std::string out;
    for (const unsigned char c : name) {
        if (c == '%' || c < 0x20 || c == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& name) {
    name.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = outside::HexDigitValue(text[i + 1]), low = outside::HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return !name.empty();
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

int64_t SecondsSinceEpoch(const outside::DateTimeRecord& utc) {
    return DaysFromCivil(utc.year, utc.month, utc.day) * 86400 + utc.hour * 3600 + utc.minute * 60 + utc.second;
}

ProcessedFiles::ProcessedFiles(std::string file) : file_(std::move(file), kMaxFileBytes) {}

bool ProcessedFiles::Load() {
    if (file_.GetState() == KeptFile::State::Read) return true;
    const std::optional<std::string> bytes = file_.Read();
    if (!bytes) return false;
    // What this run added before the file could be read stays, still to be written.
    Read(*bytes);
    return true;
}

void ProcessedFiles::Read(const std::string& bytes) {
    // Lines: "P name" (processed) and "O seconds name" (own, also processed).
    // Damaged lines are skipped; one cut off at the end (a write that did not
    // finish) must not swallow the next line added.
    unterminated_ = !bytes.empty() && bytes.back() != '\n';
    size_t start = 0;
    std::string name;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        ++fileLines_;
        if (line.size() > 2 && line[0] == 'P' && line[1] == ' ' && Unescape(line.substr(2), name)) {
            processed_.insert(name);
        } else if (line.size() > 2 && line[0] == 'O' && line[1] == ' ') {
            const size_t blank = line.find(' ', 2);
            if (blank == std::string_view::npos) continue;
            // Any time the writer writes: a message may be dated before 1970.
            int64_t sent = 0;
            const char* const digits = line.data() + 2;
            const auto [stop, error] = std::from_chars(digits, line.data() + blank, sent);
            if (error != std::errc() || stop != line.data() + blank) continue;
            if (!Unescape(line.substr(blank + 1), name)) continue;
            processed_.insert(name);
            own_[name] = sent;
        }
    }
}

void ProcessedFiles::MarkProcessed(const std::string& name) {
    if (processed_.insert(name).second) unsaved_ += "P " + Escape(name) + "\n";
}

void ProcessedFiles::RememberOwn(const std::string& name, int64_t sentSeconds) {
    processed_.insert(name);
    const auto [it, added] = own_.emplace(name, sentSeconds);
    if (!added && it->second == sentSeconds) return;
    it->second = sentSeconds;
    unsaved_ += "O " + std::to_string(sentSeconds) + " " + Escape(name) + "\n";
}

void ProcessedFiles::KeepOnly(const std::unordered_set<std::string>& present) {
    std::erase_if(processed_, [&](const std::string& name) { return !present.count(name) && !own_.count(name); });
}

std::vector<std::string> ProcessedFiles::OwnSentBefore(int64_t cutoffSeconds) const {
    std::vector<std::pair<int64_t, std::string>> due;
    for (const auto& [name, sent] : own_)
        if (sent < cutoffSeconds) due.emplace_back(sent, name);
    std::sort(due.begin(), due.end());
    std::vector<std::string> names;
    for (auto& entry : due) names.push_back(std::move(entry.second));
    return names;
}

void ProcessedFiles::ForgetOwn(const std::string& name) {
    own_.erase(name);
    processed_.erase(name);
}

bool ProcessedFiles::Save() {
    if (file_.GetState() != KeptFile::State::Read) return false;
    const bool compact = fileLines_ > kLinesPerName * (processed_.size() + own_.size()) + kJournalSlack;
    if (unsaved_.empty() && !compact) return true;
    if (!compact && fileLines_ > 0 && file_.Append((unterminated_ ? "\n" : "") + unsaved_)) {
        fileLines_ += static_cast<size_t>(std::count(unsaved_.begin(), unsaved_.end(), '\n'));
        unsaved_.clear();
        unterminated_ = false;
        return true;
    }
    // Written whole: the first time, when forgotten names make up most of it, or when adding failed.
    std::string text = std::string(kHeader) + "\n";
    size_t lines = 1;
    for (const std::string& name : processed_) {
        const auto own = own_.find(name);
        text += own == own_.end() ? "P " + Escape(name) + "\n"
                                  : "O " + std::to_string(own->second) + " " + Escape(name) + "\n";
        ++lines;
    }
    if (!file_.Replace(text)) return false;
    fileLines_ = lines;
    unsaved_.clear();
    unterminated_ = false;
    return true;
}

}  // namespace exchange
