#include "LogSearch.h"

#include <algorithm>
#include <array>
#include <climits>

#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

namespace logsviewer {
namespace {

// A log is read through a buffer of this size: large enough that the calls
// cost nothing beside the reading, small enough that a cancel waits for
// little more than a millisecond.
constexpr size_t kPieceBytes = 128 * 1024;

// FoldForSearch of every UTF-16 unit: one look-up per character of the logs.
const std::array<char16_t, 65536>& FoldTable() {
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> t{};
        for (size_t c = 0; c < t.size(); ++c) t[c] = FoldForSearch(static_cast<char16_t>(c));
        return t;
    }();
    return table;
}

enum class LogOutcome { Searched, Unreadable, Cancelled };

// piece and text are the caller's, kept from log to log; they are made here so
// that a log whose search runs out of memory is the one that counts as unreadable.
LogOutcome SearchLog(const std::string& path, std::u16string_view foldedNeedle, std::string& piece,
                     std::u16string& text, const std::function<bool()>& cancelled, LogTextCache* cache,
                     int64_t& hits) {
    try {
        HitCounter counter(foldedNeedle);
        // The stamp is taken before reading: a log written meanwhile is read again next time.
        outside::FileStamp stamp;
        const bool stamped = cache && outside::GetFileStamp(path, stamp);
        if (stamped) {
            if (const std::u16string* kept = cache->Find(path, stamp)) {
                counter.Feed(*kept);
                hits = counter.Hits();
                return LogOutcome::Searched;
            }
        }
        const bool keep = stamped && stamp.size <= LogTextCache::kLargestKeptBytes;
        std::u16string whole;
        if (piece.size() != kPieceBytes) piece.resize(kPieceBytes);
        RtfTextReader reader;
        bool first = true, stopped = false;
        const auto take = [&] {
            counter.Feed(text);
            if (keep) whole += text;
        };
        outside::ReadFilePieces(path, piece, [&](std::string_view bytes) {
            if (!first && cancelled && cancelled()) {
                stopped = true;
                return false;
            }
            first = false;
            text.clear();
            reader.Read(bytes, text);
            take();
            return !reader.Ended();
        });
        if (stopped) return LogOutcome::Cancelled;
        text.clear();
        reader.Finish(text);
        take();
        hits = counter.Hits();
        if (keep) cache->Keep(path, stamp, std::move(whole));
        return LogOutcome::Searched;
    } catch (...) {
        // Not readable, or out of memory: either way this log is passed over.
        return LogOutcome::Unreadable;
    }
}

}  // namespace

char16_t FoldForSearch(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0x80) return c;
    if (c == 0x00A0) return u' ';
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);  // А-Я
    if (c == 0x0401 || c == 0x0451) return 0x0435;                           // Ё, ё as е
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);  // Ѐ-Џ
    return c;
}

std::u16string FoldForSearch(std::u16string_view text) {
    const auto& fold = FoldTable();
    std::u16string folded(text);
    for (char16_t& c : folded) c = fold[c];
    return folded;
}

std::vector<size_t> FindHits(std::u16string_view text, std::u16string_view needle) {
    std::vector<size_t> hits;
    if (needle.empty()) return hits;
    for (size_t at = text.find(needle); at != std::u16string_view::npos; at = text.find(needle, at + needle.size()))
        hits.push_back(at);
    return hits;
}

HitCounter::HitCounter(std::u16string_view foldedNeedle) : needle_(foldedNeedle), fallback_(needle_.size(), 0) {
    for (size_t i = 1, k = 0; i < needle_.size(); ++i) {
        while (k > 0 && needle_[i] != needle_[k]) k = fallback_[k - 1];
        if (needle_[i] == needle_[k]) ++k;
        fallback_[i] = k;
    }
}

void HitCounter::Feed(std::u16string_view text) {
    const size_t m = needle_.size();
    if (m == 0) return;
    const auto& fold = FoldTable();
    const char16_t* needle = needle_.data();
    const char16_t first = needle[0];
    size_t k = matched_;
    for (const char16_t c : text) {
        const char16_t f = fold[c];
        if (k == 0) {
            if (f != first) continue;  // most characters end here
            k = 1;
        } else {
            while (k > 0 && needle[k] != f) k = fallback_[k - 1];
            if (needle[k] == f) ++k;
        }
        if (k == m) {
            ++hits_;
            k = 0;  // hits do not overlap
        }
    }
    matched_ = k;
}

const std::u16string* LogTextCache::Find(const std::string& path, const outside::FileStamp& stamp) const {
    const auto entry = entries_.find(path);
    return entry != entries_.end() && entry->second.stamp == stamp ? &entry->second.text : nullptr;
}

void LogTextCache::Keep(const std::string& path, const outside::FileStamp& stamp, std::u16string text) {
    if (const auto old = entries_.find(path); old != entries_.end()) {
        room_ += old->second.text.size();
        entries_.erase(old);
    }
    if (text.size() > room_) return;
    room_ -= text.size();
    text.shrink_to_fit();
    entries_[path] = {stamp, std::move(text)};
}

SearchResult SearchLogs(const std::string& folder, const std::vector<std::string>& names, const std::string& needle,
                        const std::function<bool()>& cancelled, const std::function<void(size_t, size_t)>& progress,
                        LogTextCache* cache) {
    SearchResult result;
    const std::u16string folded = FoldForSearch(outside::Utf8ToUtf16(needle));
    if (folded.empty()) return result;
    std::string piece;
    std::u16string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (cancelled && cancelled()) {
            result.cancelled = true;
            break;
        }
        int64_t hits = 0;
        const auto outcome =
            SearchLog(outside::esBuildFileName2(folder, names[i]), folded, piece, text, cancelled, cache, hits);
        if (outcome == LogOutcome::Cancelled) {
            result.cancelled = true;
            break;
        }
        if (outcome == LogOutcome::Unreadable)
            result.unreadable.push_back(names[i]);
        else if (hits > 0)
            result.found.push_back({names[i], static_cast<int>(std::min<int64_t>(hits, INT_MAX))});
        if (progress) progress(i + 1, names.size());
    }
    return result;
}

void FillLogTextCache(const std::string& folder, const std::vector<std::string>& names, LogTextCache& cache,
                      const std::function<bool()>& cancelled) {
    std::string piece;
    std::u16string text;
    for (const std::string& name : names) {
        if (cancelled && cancelled()) return;
        int64_t hits = 0;
        if (SearchLog(outside::esBuildFileName2(folder, name), u"", piece, text, cancelled, &cache, hits) ==
            LogOutcome::Cancelled)
            return;
    }
}

}  // namespace logsviewer
