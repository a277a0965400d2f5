#include "LogsListLogic.h"

#include <algorithm>

#include "outside/Folder.h"
#include "outside/RuntimeError.h"
#include "outside/Sorter.h"
#include "outside/Support.h"

namespace logsviewer {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Bytes of the UTF-8 character that starts at text[i].
size_t CharLength(std::string_view text, size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return std::min(n, text.size() - i);
}

bool Match(std::string_view name, std::string_view pattern) {
    size_t n = 0;
    for (size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] == '*') {
            for (size_t rest = n;; rest += CharLength(name, rest)) {
                if (Match(name.substr(rest), pattern.substr(p + 1))) return true;
                if (rest >= name.size()) return false;
            }
        }
        if (n >= name.size()) return false;
        if (pattern[p] == '?') {
            n += CharLength(name, n);
        } else {
            if (Upper(pattern[p]) != Upper(name[n])) return false;
            ++n;
        }
    }
    return n == name.size();
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) { return Match(name, pattern); }

LogsCollection CollectLogs(const std::string& folder) {
    LogsCollection logs;
    std::vector<std::string> rtf;
    try {
        rtf = outside::ListPlainFiles(folder, "RTF");
    } catch (const outside::RuntimeError&) {
        return logs;
    }
    for (const char* pattern : kLogNamePatterns) {
        for (const std::string& name : rtf) {
            if (!MatchesPattern(name, pattern)) continue;
            try {
                logs.totalBytes += static_cast<double>(outside::esGetFileSizeEx(outside::esBuildFileName2(folder, name)));
            } catch (const outside::RuntimeError&) {
                // Listed and counted all the same.
            }
            ++logs.count;
            logs.names.push_back(name);
        }
    }
    return logs;
}

std::vector<ListItem> BuildListItems(std::vector<std::string> names, const ListOptions& options,
                                     const MonthFormatter& month,
                                     const std::function<std::string(const std::string&)>& shown) {
    if (options.sort) outside::Sorter().Sort(names);
    if (options.descending) std::reverse(names.begin(), names.end());
    std::vector<ListItem> items;
    std::string currentMonth;
    for (const std::string& name : names) {
        const std::string text = shown ? shown(name) : name;
        if (!options.group) {
            items.push_back({text, 0, name});
            continue;
        }
        const std::string yearMonth = name.substr(0, 7);
        if (yearMonth != currentMonth) {
            currentMonth = yearMonth;
            std::string heading = yearMonth;
            try {
                const int year = std::stoi(yearMonth.substr(0, 4));
                const int monthNumber = std::stoi(yearMonth.substr(5, 2));
                if (month && monthNumber >= 1 && monthNumber <= 12) heading = month(year, monthNumber);
            } catch (...) {
                // A name that does not read as a date keeps its own seven characters.
            }
            items.push_back({heading, kHeadingData, {}});
        }
        items.push_back({kFileIndent + text, 0, name});
    }
    return items;
}

int InitialSelection(int itemCount, const ListOptions& options) {
    if (itemCount <= 0) return -1;
    if (options.descending) {
        if (options.group) return itemCount > 1 ? 1 : 0;
        return 0;
    }
    return itemCount - 1;
}

std::string TotalLabel(int32_t count, const std::string& sizeText) {
    return "Всего логов: " + outside::asFormatLong(count) + " (" + sizeText + ")";
}

std::string FoundLabel(size_t found, size_t total, size_t unreadable) {
    std::string label = "Найдено логов: " + std::to_string(found) + " из " + std::to_string(total);
    // A log the search could not read might hold the text: say so rather than count it as not found.
    if (unreadable > 0) label += " (не прочитано: " + std::to_string(unreadable) + ")";
    return label;
}

LogsViewerLayout LayoutLogsViewer(int width, int height, int labelWidth, int labelHeight, bool searching) {
    LogsViewerLayout l;
    const int paneHeight = height - 60 - kDesignClose.height - 120;
    l.list = {kDesignList.left, 60, kDesignList.width, paneHeight};
    l.pane = {kDesignPane.left, 60, width - kDesignPane.left - 60, paneHeight};
    const int buttonTop = height - 60 - kDesignClose.height;
    l.openFolder = {width - kDesignOpenFolder.width - 120 - kDesignClose.width, buttonTop, kDesignOpenFolder.width,
                    kDesignOpenFolder.height};
    l.close = {width - kDesignClose.width - 60, buttonTop, kDesignClose.width, kDesignClose.height};
    l.label = {kDesignLabel.left, height - labelHeight - 180, labelWidth, labelHeight};

    constexpr int kBoxHeight = 315, kGap = 120, kUsable = 1200, kSmallest = 600;
    const int right = l.openFolder.left - kGap;
    int left = l.label.left + labelWidth + kGap;
    if (searching && right - left < kUsable) {
        left = std::max(l.label.left, right - kUsable);
        l.label.width = std::max(0, left - kGap - l.label.left);
    }
    l.search = {left, buttonTop + (kDesignClose.height - kBoxHeight) / 2, std::max(0, right - left), kBoxHeight};
    l.searchVisible = searching || l.search.width >= kSmallest;
    return l;
}

}  // namespace logsviewer
