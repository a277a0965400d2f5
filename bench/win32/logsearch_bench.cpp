// Searching the conversation logs: 1,000 logs of about 10 KB, written by the
// program's own log writer, a word that only 1 % of them hold. Prints, as the
// median of RUNS runs:
//   - the search from the request to the filled list of the real logs viewer
//     (and its first run, when it reads every log from the disk);
//   - the same search without a window (reading and matching alone), and what
//     reading the files alone costs (the floor), and reading with the RTF
//     text reader but no matching; the reader and the matcher over the logs
//     in memory; the search with the text of the logs kept;
//   - marking the hits of a log with 2,000 of them, shown in the viewer;
//   - Esc in the middle of a search whose set holds a 50 MB log: the time
//     until the window takes input again.
//
//   logsearch_bench.exe [LOGS] [RUNS] [SHOW]      (default: 1000 5 0)
// SHOW > 0 then leaves the viewer open, grouped, with the search, for SHOW
// seconds (for a screenshot).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/logsviewer/BackgroundSearch.h"
#include "app/logsviewer/LogSearch.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/modSettings.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/LogWriting.h"

namespace {

// The viewer reads the logs folder of the settings; the chat only names its placement.
startup::ChatPtr BenchChat() {
    static const startup::ChatPtr chat = std::make_shared<const startup::ClaimedChat>("", "");
    return chat;
}

using Clock = std::chrono::steady_clock;
using logsviewer::frmLogsViewer;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) support::FormBase::TranslateAndDispatch(msg);
}

// The median of runs of what, in milliseconds.
double Median(int runs, const std::function<void()>& what) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        what();
        times.push_back(Milliseconds(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void WaitForSearch(frmLogsViewer* viewer) {
    while (viewer->SearchRunning() || !viewer->SearchShown()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
}

// Lines of an ordinary chat: a title line and a text, Russian and a little Latin.
std::vector<std::string> Conversation(int log, bool withWord) {
    static const char* const kTexts[] = {
        "Доброе утро! Кто сегодня забирает детей из школы?", "Я заберу, буду в 17:30, возьму хлеб по дороге.",
        "Не забудь, что в пятницу родительское собрание в шесть.", "Ok, see you at the station, the train is late.",
        "Купи, пожалуйста, молоко и яблоки, если будет время."};
    std::vector<std::string> lines;
    size_t bytes = 0;
    for (int i = 0; bytes < 3000; ++i) {
        lines.push_back((i % 2 ? "Аня" : "Лёва") + std::string("  (8:") + std::to_string(10 + i % 50) + " - 07.12.2026)");
        lines.push_back(kTexts[(log + i) % 5]);
        bytes += lines[lines.size() - 2].size() + lines.back().size();
    }
    if (withWord) lines[lines.size() / 2] += " Абрикосовый пирог в холодильнике.";
    return lines;
}

std::string Load() {
    double sum = 0;
    int count = 0;
    FILE* file = std::fopen("/proc/loadavg", "r");  // Wine maps Z: to the Linux root
    if (!file) file = std::fopen("Z:\\proc\\loadavg", "r");
    if (file) {
        if (std::fscanf(file, "%lf", &sum) == 1) count = 1;
        std::fclose(file);
    }
    return count ? "load average " + std::to_string(sum).substr(0, 5) : "load average unknown";
}

}  // namespace

int main(int argc, char** argv) {
    const int logCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int show = argc > 3 ? std::atoi(argv[3]) : 0;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    const std::string root =
        outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "bench", "logsearch");
    const std::string folder = outside::esBuildFileName2(root, "logs");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(root), ignored);
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    const auto writing = Clock::now();
    uint64_t total = 0;
    for (int i = 0; i < logCount; ++i) {
        const auto began = testsupport::LocalTime(2020 + i / 336, 1 + i / 28 % 12, 1 + i % 28, 12, 0, 0);
        const std::string path = testsupport::WriteLog(folder, began, Conversation(i, i % 100 == 37));
        total += outside::esGetFileSizeEx(path);
    }
    std::printf("%d logs, %.1f KB each on average, written in %.1f s; %s\n", logCount,
                static_cast<double>(total) / logCount / 1024.0, Milliseconds(writing) / 1000.0, Load().c_str());

    // Without a window: what the search's thread does, and what it cannot do less than.
    const std::vector<std::string> names = logsviewer::CollectLogs(folder).names;
    std::string piece(128 * 1024, '\0');
    size_t bytes = 0;
    const double floor = Median(runs, [&] {
        for (const std::string& name : names)
            outside::ReadFilePieces(outside::esBuildFileName2(folder, name), piece, [&](std::string_view p) {
                bytes += p.size();
                return true;
            });
    });
    size_t characters = 0;
    const double reading = Median(runs, [&] {
        std::u16string text;
        for (const std::string& name : names) {
            logsviewer::RtfTextReader reader;
            outside::ReadFilePieces(outside::esBuildFileName2(folder, name), piece, [&](std::string_view p) {
                text.clear();
                reader.Read(p, text);
                characters += text.size();
                return true;
            });
        }
    });
    // The same work from memory: what the reader and the matcher cost alone.
    std::vector<std::string> files;
    for (const std::string& name : names)
        files.push_back(outside::ReadFileBytes(outside::esBuildFileName2(folder, name), 1u << 20));
    std::vector<std::u16string> texts(files.size());
    const double parsing = Median(runs, [&] {
        for (size_t i = 0; i < files.size(); ++i) texts[i] = logsviewer::RtfPlainText(files[i]);
    });
    int64_t hits = 0;
    const double matching = Median(runs, [&] {
        const std::u16string needle = logsviewer::FoldForSearch(std::u16string(u"абрикосовый"));
        for (const std::u16string& text : texts) {
            logsviewer::HitCounter counter(needle);
            counter.Feed(text);
            hits += counter.Hits();
        }
    });
    const double bare = Median(runs, [&] { logsviewer::SearchLogs(folder, names, "абрикосовый"); });
    logsviewer::LogTextCache cache;
    logsviewer::FillLogTextCache(folder, names, cache);
    const double kept =
        Median(runs, [&] { logsviewer::SearchLogs(folder, names, "абрикосовый", {}, {}, &cache); });
    std::printf("reading the files alone (floor):    median %.0f ms (%.1f MB)\n", floor,
                static_cast<double>(bytes) / runs / 1e6);
    std::printf("reading them as text, no matching:  median %.0f ms (%.1f M characters)\n", reading,
                static_cast<double>(characters) / runs / 1e6);
    std::printf("in memory, the RTF text reader:     median %.1f ms; folding and matching: %.1f ms\n", parsing,
                matching);
    std::printf("reading and matching (the search):  median %.0f ms\n", bare);
    std::printf("the same with the text kept:        median %.0f ms (%zu logs kept)\n", kept, cache.Entries());

    modSettings::LogsFolder = folder;
    auto* viewer = frmLogsViewer::ShowViewer(BenchChat());
    if (!viewer) {
        std::printf("the viewer could not be opened\n");
        return 1;
    }
    Pump();
    // The viewer keeps the text of the logs it has read: its first search
    // reads them all from the disk, those after read only what changed.
    size_t found = 0;
    std::vector<double> windowed;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        viewer->Search("абрикосовый");
        WaitForSearch(viewer);
        windowed.push_back(Milliseconds(start));
        found = std::count_if(viewer->Items().begin(), viewer->Items().end(),
                              [](const logsviewer::ListItem& item) { return item.data == 0; });
        viewer->Search("");
        Pump();
    }
    const double first = windowed.front();
    std::sort(windowed.begin(), windowed.end());
    std::printf("search request to filled list:      median %.0f ms, the first (from the disk) %.0f ms "
                "(%zu of %d logs found); %s\n",
                windowed[windowed.size() / 2], first, found, logCount, Load().c_str());
    frmLogsViewer::UnloadViewer();

    // One log with 2,000 hits, shown with the search.
    const std::string hitsFolder = outside::esBuildFileName2(root, "hits");
    std::filesystem::create_directories(std::filesystem::u8path(hitsFolder));
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back("Абрикос за абрикосом, " + std::to_string(i));
    testsupport::WriteLog(hitsFolder, testsupport::LocalTime(2024, 5, 1, 10, 0, 0), lines);
    modSettings::LogsFolder = hitsFolder;
    viewer = frmLogsViewer::ShowViewer(BenchChat());
    viewer->Search("абрикос");
    WaitForSearch(viewer);
    const double highlight = Median(runs, [&] { viewer->HighlightHits(); });
    std::printf("a log with %zu hits, marking them:   median %.1f ms; %s\n", viewer->PaneHits().size(), highlight,
                Load().c_str());
    frmLogsViewer::UnloadViewer();

    // Esc while the search reads a 50 MB log.
    const std::string bigFolder = outside::esBuildFileName2(root, "big");
    std::filesystem::create_directories(std::filesystem::u8path(bigFolder));
    for (int i = 0; i < 20; ++i)
        testsupport::WriteLog(bigFolder, testsupport::LocalTime(2024, 6, 1 + i, 12, 0, 0), Conversation(i, false));
    const std::string bigName = outside::esGetFileName(testsupport::WriteBigLog(
        bigFolder, testsupport::LocalTime(2019, 1, 1, 12, 0, 0), size_t{50} << 20, Conversation(0, false)));
    // What the window waits for: the search's thread stopping in the middle of the log.
    std::vector<double> stops;
    {
        logsviewer::BackgroundSearch search;
        for (int run = 0; run < runs; ++run) {
            search.Start(bigFolder, {bigName}, "абрикосовый", {});
            ::Sleep(static_cast<DWORD>(20 + 20 * run));
            const auto start = Clock::now();
            search.Stop();
            stops.push_back(Milliseconds(start));
        }
    }
    std::sort(stops.begin(), stops.end());
    modSettings::LogsFolder = bigFolder;
    viewer = frmLogsViewer::ShowViewer(BenchChat());
    Pump();
    const double wholeBig = Median(1, [&] {
        viewer->Search("абрикосовый");
        WaitForSearch(viewer);
    });
    std::vector<double> escapes;
    for (int run = 0; run < runs; ++run) {
        viewer->Search("абрикосовый");
        // Into the search: the 50 MB log takes most of its time.
        for (const auto start = Clock::now(); Milliseconds(start) < wholeBig * (run + 1) / (runs + 1);) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
        const bool running = viewer->SearchRunning();
        ::SetFocus(viewer->SearchBox());
        MSG esc{viewer->SearchBox(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        const auto start = Clock::now();
        support::FormBase::TranslateAndDispatch(esc);
        escapes.push_back(Milliseconds(start));
        if (!running || viewer->SearchRunning()) std::printf("  (run %d: the search was not running at Esc)\n", run);
    }
    std::sort(escapes.begin(), escapes.end());
    std::printf("stopping a search inside a 50 MB log: median %.2f ms, worst %.2f ms\n", stops[stops.size() / 2],
                stops.back());
    std::printf("Esc in a search over a 50 MB log, to a window taking input: median %.1f ms, worst %.1f ms "
                "(the whole search %.0f ms); %s\n",
                escapes[escapes.size() / 2], escapes.back(), wholeBig, Load().c_str());
    frmLogsViewer::UnloadViewer();

    if (show > 0) {
        modSettings::LogsFolder = folder;
        modSettings::GroupLogsList = true;
        viewer = frmLogsViewer::ShowViewer(BenchChat());
        viewer->Search("абрикосовый");
        for (const auto start = Clock::now(); Milliseconds(start) < show * 1000.0;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            Pump();
        }
        frmLogsViewer::UnloadViewer();
    }
    std::filesystem::remove_all(std::filesystem::u8path(root), ignored);
    return 0;
}
