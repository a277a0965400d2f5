// Finding a text in the conversation logs: the text of an RTF log as a reader
// sees it, folding for a search that ignores letter case (Latin and
// Cyrillic, with ё found as е and the other way round), and a search over
// every log of a folder. Logs are read whole into memory and never written,
// so a search neither holds nor changes them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace logsviewer {

// One UTF-16 unit to one, so that positions in folded text are positions in
// the original (and in a RichEdit holding it).
char16_t FoldForSearch(char16_t c);
std::u16string FoldForSearch(std::u16string_view text);

// Start positions of the non-overlapping hits of needle in text, both folded
// already. An empty needle has no hits.
std::vector<size_t> FindHits(std::u16string_view foldedText, std::u16string_view foldedNeedle);

// The visible text of an RTF document: paragraphs end in CR, as a RichEdit
// keeps them; tables of fonts and colours, pictures and other hidden groups
// are left out. Never throws; a damaged document gives what could be read.
std::u16string RtfPlainText(std::string_view rtf);

struct LogHits {
    std::string name;
    int hits = 0;
    friend bool operator==(const LogHits&, const LogHits&) = default;
};

// Searches the named logs of folder for needle (UTF-8, as typed), in the order
// given, and returns those that hold it. progress(done, total) is called after
// each log; cancelled() is asked before each log, and a cancelled search
// returns what it found so far. A log that cannot be read is passed over.
std::vector<LogHits> SearchLogs(const std::string& folder, const std::vector<std::string>& names,
                                const std::string& needle, const std::function<bool()>& cancelled = {},
                                const std::function<void(size_t, size_t)>& progress = {});

// The hits in one log file; 0 when it cannot be read.
int CountHitsInLog(const std::string& path, std::u16string_view foldedNeedle);

}  // namespace logsviewer
