// Finding a text in the conversation logs: folding for a search that ignores
// letter case (Latin and Cyrillic, with ё found as е and the other way round),
// counting hits in text that comes piece by piece, and a search over every log
// of a folder. Logs are read piece by piece and never written, so a search
// neither holds nor changes them, and a log of any size takes the same memory.
// The text of the logs read can be kept for the next search: searching as one
// types then reads each log from the disk once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "RtfPlainText.h"
#include "outside/Folder.h"

namespace logsviewer {

// One UTF-16 unit to one, so that positions in folded text are positions in
// the original (and in a RichEdit holding it).
char16_t FoldForSearch(char16_t c);
std::u16string FoldForSearch(std::u16string_view text);

// Start positions of the non-overlapping hits of needle in text, both folded
// already. An empty needle has no hits.
std::vector<size_t> FindHits(std::u16string_view foldedText, std::u16string_view foldedNeedle);

// Counts the non-overlapping hits of a folded needle in text given piece by
// piece (not folded), hits across the cut between two pieces included: the
// count is that of FindHits over the whole text, without keeping positions.
class HitCounter {
public:
    explicit HitCounter(std::u16string_view foldedNeedle);
    void Feed(std::u16string_view text);
    int64_t Hits() const { return hits_; }

private:
    std::u16string needle_;
    std::vector<size_t> fallback_;  // longest proper prefix of needle_[0..i] that ends it
    size_t matched_ = 0;
    int64_t hits_ = 0;
};

struct LogHits {
    std::string name;
    int hits = 0;
    friend bool operator==(const LogHits&, const LogHits&) = default;
};

// The text of logs read by earlier searches. An entry serves only while its
// file keeps the size and time it had when read (the chat rewrites its current
// log while the viewer is open). Up to maxChars characters are kept; larger
// logs, and logs beyond that, are read from the disk each time.
class LogTextCache {
public:
    static constexpr size_t kDefaultMaxChars = size_t{16} << 20;  // 32 MB of text
    static constexpr uint64_t kLargestKeptBytes = uint64_t{4} << 20;
    explicit LogTextCache(size_t maxChars = kDefaultMaxChars) : room_(maxChars) {}
    const std::u16string* Find(const std::string& path, const outside::FileStamp& stamp) const;
    // Keeps the text when there is room (an older entry for path gives way).
    void Keep(const std::string& path, const outside::FileStamp& stamp, std::u16string text);
    size_t Entries() const { return entries_.size(); }

private:
    struct Entry {
        outside::FileStamp stamp;
        std::u16string text;
    };
    std::unordered_map<std::string, Entry> entries_;
    size_t room_;
};

struct SearchResult {
    std::vector<LogHits> found;           // the logs that hold the text, in the order searched
    std::vector<std::string> unreadable;  // could not be read, or not searched for want of memory
    bool cancelled = false;
};

// Searches the named logs of folder for needle (UTF-8, as typed), in the
// order given. progress(done, total) is called after each log; cancelled() is
// asked before each log and before each further piece of a large one, and a
// cancelled search returns the logs searched whole so far. With a cache, the
// text of a log is taken from it where it can be and kept in it once read.
SearchResult SearchLogs(const std::string& folder, const std::vector<std::string>& names, const std::string& needle,
                        const std::function<bool()>& cancelled = {},
                        const std::function<void(size_t, size_t)>& progress = {}, LogTextCache* cache = nullptr);
// Reads the named logs into cache ahead of a search; stops when cancelled().
void FillLogTextCache(const std::string& folder, const std::vector<std::string>& names, LogTextCache& cache,
                      const std::function<bool()>& cancelled = {});

}  // namespace logsviewer
