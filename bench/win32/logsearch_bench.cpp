// Searching the conversation logs: 1,000 logs of about 10 KB, written by the
// program's own log writer, a word that only 1 % of them hold. Prints the time
// from the search request to the filled list of the real logs viewer, and the
// time of the same search without a window (reading and matching alone).
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
#include <string>
#include <vector>

#include "app/logsviewer/LogSearch.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/modSettings.h"
#include "outside/Support.h"
#include "support/LogWriting.h"

namespace {

using Clock = std::chrono::steady_clock;
double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) support::FormBase::TranslateAndDispatch(msg);
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

}  // namespace

int main(int argc, char** argv) {
    const int logCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int show = argc > 3 ? std::atoi(argv[3]) : 0;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    const std::string folder =
        outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "bench", "logsearch");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    const auto writing = Clock::now();
    uint64_t total = 0;
    for (int i = 0; i < logCount; ++i) {
        const auto began = testsupport::LocalTime(2020 + i / 336, 1 + i / 28 % 12, 1 + i % 28, 12, 0, 0);
        const std::string path = testsupport::WriteLog(folder, began, Conversation(i, i % 100 == 37));
        total += outside::esGetFileSizeEx(path);
    }
    std::printf("%d logs, %.1f KB each on average, written in %.1f s\n", logCount,
                static_cast<double>(total) / logCount / 1024.0, Milliseconds(writing) / 1000.0);

    modSettings::LogsFolder = folder;
    auto* viewer = logsviewer::frmLogsViewer::ShowViewer();
    if (!viewer) {
        std::printf("the viewer could not be opened\n");
        return 1;
    }
    Pump();
    std::vector<double> windowed, bare;
    size_t found = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        viewer->Search("абрикосовый");
        while (viewer->SearchRunning() || !viewer->SearchShown()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
        windowed.push_back(Milliseconds(start));
        found = std::count_if(viewer->Items().begin(), viewer->Items().end(),
                              [](const logsviewer::ListItem& item) { return item.data == 0; });
        viewer->Search("");
        Pump();

        std::vector<std::string> names = logsviewer::CollectLogs(folder).names;
        const auto bareStart = Clock::now();
        logsviewer::SearchLogs(folder, names, "абрикосовый");
        bare.push_back(Milliseconds(bareStart));
    }
    std::sort(windowed.begin(), windowed.end());
    std::sort(bare.begin(), bare.end());
    std::printf("search request to filled list: median %.0f ms, best %.0f ms, worst %.0f ms (%zu of %d logs found)\n",
                windowed[windowed.size() / 2], windowed.front(), windowed.back(), found, logCount);
    std::printf("reading and matching alone:    median %.0f ms\n", bare[bare.size() / 2]);
    logsviewer::frmLogsViewer::UnloadViewer();
    if (show > 0) {
        modSettings::GroupLogsList = true;
        viewer = logsviewer::frmLogsViewer::ShowViewer();
        viewer->Search("абрикосовый");
        for (const auto start = Clock::now(); Milliseconds(start) < show * 1000.0;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            Pump();
        }
        logsviewer::frmLogsViewer::UnloadViewer();
    }
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
    return 0;
}
