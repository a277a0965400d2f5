// What the logs viewer decides without a window: which files of the logs
// folder are logs, how the list reads (sorted, newest first, under month
// headings), which item is selected first, the label under the list, and
// where the controls go when the window is resized.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/support/FormDesign.h"

namespace logsviewer {

using support::TwipsRect;

// The two names a log gets, without and with milliseconds:
// "????-??-?? ??-??-??.RTF" and "????-??-?? ??-??-?? ???.RTF" (escaped, as "??-" would be a trigraph).
inline constexpr const char* kLogNamePatterns[] = {"\?\?\?\?-\?\?-\?\? \?\?-\?\?-\?\?.RTF",
                                                   "\?\?\?\?-\?\?-\?\? \?\?-\?\?-\?\? \?\?\?.RTF"};

// Wildcard match as the file system lists a folder: "?" is one character,
// "*" any run of them; letter case is ignored for ASCII.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The logs of a folder, as the list is filled from it.
struct LogsCollection {
    std::vector<std::string> names;  // the first pattern's names, then the second's
    int32_t count = 0;
    double totalBytes = 0;
};
// Lists folder (a missing folder gives nothing). A file whose size cannot be
// read is still listed and counted.
LogsCollection CollectLogs(const std::string& folder);

// Item data of a month heading; file items have 0.
inline constexpr intptr_t kHeadingData = 69;
inline constexpr const char* kFileIndent = "    ";

struct ListItem {
    std::string text;
    intptr_t data = 0;
    std::string fileName;  // empty for a heading
    friend bool operator==(const ListItem&, const ListItem&) = default;
};

struct ListOptions {
    bool sort = true;
    bool descending = true;
    bool group = false;
};

// "mmmm yyyy" of a year and month (the platform's month name).
using MonthFormatter = std::function<std::string(int year, int month)>;

// The list items for names in their collected order. shown, when given, is
// what a file item reads instead of its name (the search shows hit counts).
std::vector<ListItem> BuildListItems(std::vector<std::string> names, const ListOptions& options,
                                     const MonthFormatter& month,
                                     const std::function<std::string(const std::string&)>& shown = {});

// The item selected once the list is filled; -1 for none.
int InitialSelection(int itemCount, const ListOptions& options);

// "Всего логов: N (size)".
std::string TotalLabel(int32_t count, const std::string& sizeText);
// "Найдено логов: N из M", and how many could not be read when some could not.
std::string FoundLabel(size_t found, size_t total, size_t unreadable);

// The design of the window, in twips.
inline constexpr int kDesignClientWidth = 8610;
inline constexpr int kDesignClientHeight = 5235;
inline constexpr int kMinClientWidth = 7200;
inline constexpr int kMinClientHeight = 1950;
inline constexpr TwipsRect kDesignList{60, 60, 2775, 4575};
inline constexpr TwipsRect kDesignPane{2940, 60, 5595, 4575};
inline constexpr TwipsRect kDesignLabel{180, 4800, 0, 195};
inline constexpr TwipsRect kDesignOpenFolder{4560, 4740, 2655, 435};
inline constexpr TwipsRect kDesignClose{7320, 4740, 1215, 435};

struct LogsViewerLayout {
    TwipsRect list, pane, label, openFolder, close, search;
    bool searchVisible = false;
};
// The layout for a client area (at least the minimum). labelWidth is the
// label's text width; the search box takes the room between the label and
// the open-folder button, and while a search is on (searching) it keeps a
// usable width even if the label must then be cut short.
LogsViewerLayout LayoutLogsViewer(int width, int height, int labelWidth, int labelHeight, bool searching);

}  // namespace logsviewer
