// Receiving through the real chat window, as the user meets it, next to the
// I/O floor (reading and hiding the same number of files with no display):
//   - a backlog of N files opened in a fresh chat, timed to the end of the
//     pass, with "Clear Scrollback on Overflow" on and off: the median of
//     three runs, the floor measured again in each run;
//   - the latency from a file landing in an idle chat folder to its text in
//     the pane (median and worst of 20 single messages);
//   - the program's memory after 1,000 and after 10,000 messages (overflow on);
//   - in the shared-folder mode, a pass over N files already shown (in the
//     same run and after a restart, which reads the list of processed files),
//     next to one listing of the folder and to the ordinary mode's pass over
//     N files it has hidden.
// Under Wine every backlog row also gives the host's load (its one-minute
// average) when the row was done: the machine may be shared.
//
//   dispatch_bench.exe [--runs R] [--on-only] [--no-memory] [--shared-only | --no-shared] [N ...]
//                                                          (default: 3 runs of 1000 10000)
// --on-only skips the passes with the overflow rule off, whose pane grows
// without bound; --no-memory the memory figures; --shared-only prints only the
// shared-folder figures, --no-shared all but them.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/chatwindow/win32/frmMain.h"
#include "app/exchange/ChatFolderListing.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/startup/ClaimedChat.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The host's one-minute load average under Wine (drive Z: is the Linux
// root); -1 elsewhere.
double HostLoad() {
    std::ifstream in("Z:\\proc\\loadavg");
    double load = -1;
    if (!(in >> load)) return -1;
    return load;
}

std::string LoadText(double load) {
    if (load < 0) return "";
    char text[32];
    std::snprintf(text, sizeof text, "load %.1f", load);
    return text;
}

std::string MakeFolder(const std::string& name) {
    const std::string folder = outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "bench", name);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    return folder;
}

// Message files written straight to their names: setting up a benchmark of
// 10,000 files through the senders' temporary-file renames would take minutes.
std::vector<std::string> Fill(const std::string& folder, int count, int first = 0) {
    std::vector<std::string> paths;
    for (int i = first; i < first + count; ++i) {
        const outside::DateTimeRecord t{2024, 1, 0, 31, 13, static_cast<uint16_t>(i / 60000),
                                        static_cast<uint16_t>(i / 1000 % 60), static_cast<uint16_t>(i % 1000)};
        paths.push_back(exchange::BuildMessageFileName(t, exchange::kBinaryExtension, folder));
        std::ofstream out(std::filesystem::u8path(paths.back()), std::ios::binary);
        out << "\xEF\xBB\xBF"
            << exchange::BuildBinaryRecord(t, "Бенчмарк",
                                           "Сообщение номер " + std::to_string(i) + ", достаточно длинное, как в жизни.",
                                           "{OTHER}");
    }
    return paths;
}

double Floor(int count) {
    const std::string folder = MakeFolder("floor");
    Fill(folder, count);
    const auto start = Clock::now();
    std::vector<std::string> names;
    for (const char* ext : {"ZPMF", "ZXMF", "ZTMF"})
        for (auto& n : outside::ListPlainFiles(folder, ext)) names.push_back(outside::esBuildFileName2(folder, n));
    for (const auto& path : names) {
        outside::TheTextFile().ReadText(path);
        outside::HideFile(path);
    }
    return Seconds(start);
}

void Pump() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The chat window on a fresh chat in folder: a chat file of a new name has
// its own logs and its own ledger of shown messages, so no run takes the
// messages of an earlier one for copies.
std::unique_ptr<chatwindow::frmMain> OpenChat(const std::string& folder, bool clearOnOverflow) {
    static int chats = 0;
    auto chat = std::make_shared<const startup::ClaimedChat>(
        outside::esBuildFileName2(
            folder, "Бенчмарк " + std::to_string(::GetTickCount()) + "-" + std::to_string(++chats) + ".ZPMFChat"),
        folder);
    outside::TheTextFile().WriteText(chat->ChatFilePath, "", outside::TextEncoding::Utf8);
    auto form = chatwindow::frmMain::Load(std::move(chat), std::getenv("BENCH_HIDDEN") != nullptr);
    modSettings::ClearScrollbackOnOverflow = clearOnOverflow;
    return form;
}

void WaitForPasses(chatwindow::frmMain* form, int passes) {
    while (form->PassesDone() < passes) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Closes the window and removes the chat's logs.
void Close(chatwindow::frmMain* form) {
    HWND hwnd = form->Handle();
    form->Unload();
    MSG msg{};
    while (::IsWindow(hwnd) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(modSettings::LogsFolder), ignored);
}

double WindowPass(int count, bool clearOnOverflow) {
    const std::string folder = MakeFolder("chat");
    Fill(folder, count);
    const auto start = Clock::now();
    auto form = OpenChat(folder, clearOnOverflow);
    WaitForPasses(form.get(), 1);  // the first timer tick runs the pass
    const double seconds = Seconds(start);
    if (!outside::ListPlainFiles(folder, "ZPMF").empty()) std::printf("    (files left after the pass!)\n");
    Close(form.get());
    return seconds;
}

struct Latency {
    double median, worst;
};

Latency SingleMessages(int count) {
    const std::string folder = MakeFolder("latency");
    auto form = OpenChat(folder, true);
    WaitForPasses(form.get(), 1);
    std::mt19937 random(7);
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        // Some quiet time, so that messages land at every phase of the timer.
        const auto idle = Clock::now();
        while (Seconds(idle) < std::uniform_real_distribution<double>(0.3, 0.8)(random)) {
            Pump();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        const std::string text = "Одиночное сообщение " + std::to_string(i);
        const outside::DateTimeRecord t{2024, 2, 0, 1, 10, 0, static_cast<uint16_t>(i), 0};
        // As a sender writes it: a temporary file renamed into place.
        exchange::WriteBinaryMessage(exchange::BuildMessageFileName(t, exchange::kBinaryExtension, folder),
                                     exchange::BuildBinaryRecord(t, "Гость", text, "{OTHER}"));
        const auto landed = Clock::now();
        HWND pane = form->LogPane();
        const int before = ::GetWindowTextLengthW(pane);
        while (::GetWindowTextLengthW(pane) == before ||
               modRTFSupport::PlainText(pane).find(text) == std::string::npos) {
            Pump();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        ms.push_back(Seconds(landed) * 1000);
    }
    Close(form.get());
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Private committed bytes; Wine fills PagefileUsage, which is the same figure on Windows.
    return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024 * 1024);
}

// Memory of the running program after 1,000 messages and after 10,000 (overflow on).
void Memory() {
    const std::string folder = MakeFolder("memory");
    const double before = PrivateMegabytes();
    const std::vector<std::string> later = Fill(folder, 9000, 1000);
    for (const std::string& path : later) outside::HideFile(path);  // held back until the first 1,000 are read
    Fill(folder, 1000);
    auto form = OpenChat(folder, true);
    WaitForPasses(form.get(), 1);
    const double after1000 = PrivateMegabytes();
    for (const std::string& path : later) ::SetFileAttributesW(std::filesystem::u8path(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    while (!outside::ListPlainFiles(folder, "ZPMF").empty()) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    const double after10000 = PrivateMegabytes();
    Close(form.get());
    std::printf("%8s  %-28s %10.1f MB before, %.1f MB after 1,000, %.1f MB after 10,000 (%+.1f MB)  %s\n", "",
                "memory, overflow on", before, after1000, after10000, after10000 - after1000,
                LoadText(HostLoad()).c_str());
}

// The ways a backlog is received, each timed against the floor of its run.
struct Case {
    const char* name;
    std::function<double(int files)> seconds;
};

struct Row {
    double seconds, floor, load;
};

void PrintRow(const std::string& run, int files, const char* name, const Row& row) {
    std::printf("%-6s %8d  %-28s %10.2f %12.0f %8.2f  %s\n", run.c_str(), files, name, row.seconds,
                files / row.seconds, row.seconds / row.floor, LoadText(row.load).c_str());
    std::fflush(stdout);
}

// A pass without a window: the shared-folder figures are about the folder, not the pane.
class QuietHost final : public exchange::IDispatchHost {
public:
    QuietHost(const startup::ClaimedChat& chat, bool shared) : chat_(chat), shared_(shared) {}
    const startup::ClaimedChat& Chat() const override { return chat_; }
    void DisplayMessage(const std::string&, const std::string&, outside::DateTimeRecord, exchange::MessageKind,
                        const std::string&) override {}
    void ShowSystemMessage(const std::string&) override {}
    void ShowDebugMessage(const std::string&) override {}
    bool SaveLog(bool, bool) override { return true; }
    void ClearConversation() override {}
    void SetCaption(const std::string&) override {}
    void PumpMessagesOnce() override {}
    exchange::ReceivingPolicy Policy() override {
        exchange::ReceivingPolicy policy = exchange::ChatReceivingPolicy(chat_.ChatFolder);
        policy.sharedFolder = shared_;
        return policy;
    }

private:
    const startup::ClaimedChat& chat_;
    bool shared_;
};

template <typename F>
double MedianSeconds(int runs, F&& f) {
    std::vector<double> s;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        s.push_back(Seconds(start));
    }
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
}

void SharedFolderPasses(int count) {
    const std::string folder = MakeFolder("shared");
    Fill(folder, count);
    const startup::ClaimedChat chat(outside::esBuildFileName2(folder, "Бенчмарк.ZPMFChat"), folder);
    modSettings::LogsFolder = MakeFolder("shared-logs");
    QuietHost shared(chat, true);
    double firstPass = 0;
    {
        exchange::MessageDispatcher first(shared);
        const auto start = Clock::now();
        first.DispatchAllMessages();  // reads every file once and remembers it
        firstPass = Seconds(start);
    }
    const double listing = MedianSeconds(5, [&] { exchange::ListChatFolder(folder); });
    const double restart = MedianSeconds(5, [&] { exchange::MessageDispatcher(shared).DispatchAllMessages(); });
    exchange::MessageDispatcher running(shared);
    running.DispatchAllMessages();
    const double later = MedianSeconds(5, [&] { running.DispatchAllMessages(); });
    // The ordinary mode over the same files once it has hidden them all.
    QuietHost ordinary(chat, false);
    exchange::MessageDispatcher(ordinary).DispatchAllMessages();
    const double hidden = MedianSeconds(5, [&] { exchange::MessageDispatcher(ordinary).DispatchAllMessages(); });
    const auto line = [&](const char* what, double seconds) {
        std::printf("%8d  %-28s %10.3f %12s %8.2f\n", count, what, seconds, "", seconds / listing);
    };
    std::printf("%8s  shared folder (ratio to one listing of the folder)\n", "");
    line("listing the folder", listing);
    line("shared, first pass (reads)", firstPass);
    line("shared, pass after restart", restart);
    line("shared, later pass", later);
    line("ordinary, all hidden", hidden);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    modSettings::LoadClientGuid();
    modSettings::LoadGlobalSettings();
    std::vector<int> counts;
    bool onOnly = false, memory = true, sharedOnly = false, shared = true;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--on-only")
            onOnly = true;
        else if (std::string(argv[i]) == "--no-memory")
            memory = false;
        else if (std::string(argv[i]) == "--shared-only")
            sharedOnly = true;
        else if (std::string(argv[i]) == "--no-shared")
            shared = false;
        else if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) counts = {1000, 10000};
    if (shared || sharedOnly)
        for (int count : counts) SharedFolderPasses(count);
    if (sharedOnly) {
        ::OleUninitialize();
        return 0;
    }

    std::vector<Case> cases = {{"window, overflow on", [](int n) { return WindowPass(n, true); }}};
    if (!onOnly) cases.push_back({"window, overflow off", [](int n) { return WindowPass(n, false); }});

    std::printf("%-6s %8s  %-28s %10s %12s %8s\n", "run", "files", "case", "seconds", "files/s", "ratio");
    // rows[count][case]: one per run; the floor has the case index cases.size().
    std::vector<std::vector<std::vector<Row>>> rows(counts.size(), std::vector<std::vector<Row>>(cases.size() + 1));
    for (int run = 1; run <= runs; ++run) {
        for (size_t c = 0; c < counts.size(); ++c) {
            const int n = counts[c];
            const double floor = Floor(n);
            rows[c][cases.size()].push_back({floor, floor, HostLoad()});
            PrintRow(std::to_string(run), n, "I/O floor (read+hide)", rows[c][cases.size()].back());
            for (size_t k = 0; k < cases.size(); ++k) {
                const double seconds = cases[k].seconds(n);
                rows[c][k].push_back({seconds, floor, HostLoad()});
                PrintRow(std::to_string(run), n, cases[k].name, rows[c][k].back());
            }
        }
    }

    // Medians: of the seconds, and of each run's ratio to its own floor.
    std::printf("\nmedian of %d run%s:\n", runs, runs == 1 ? "" : "s");
    std::printf("%8s  %-28s %10s %12s %8s  %s\n", "files", "case", "seconds", "files/s", "ratio", "load (min-max)");
    for (size_t c = 0; c < counts.size(); ++c)
        for (size_t k = 0; k <= cases.size(); ++k) {
            std::vector<double> seconds, ratios, loads;
            for (const Row& r : rows[c][k]) {
                seconds.push_back(r.seconds);
                ratios.push_back(r.seconds / r.floor);
                loads.push_back(r.load);
            }
            const double median = Median(seconds);
            const auto [low, high] = std::minmax_element(loads.begin(), loads.end());
            std::string load;
            if (*low >= 0) {
                char text[32];
                std::snprintf(text, sizeof text, "%.1f-%.1f", *low, *high);
                load = text;
            }
            std::printf("%8d  %-28s %10.2f %12.0f %8.2f  %s\n", counts[c],
                        k == cases.size() ? "I/O floor (read+hide)" : cases[k].name, median, counts[c] / median,
                        Median(ratios), load.c_str());
        }
    std::fflush(stdout);

    const Latency latency = SingleMessages(20);
    std::printf("%8s  %-28s %10.0f ms median, %.0f ms worst of 20  %s\n", "", "latency, idle chat", latency.median,
                latency.worst, LoadText(HostLoad()).c_str());
    std::fflush(stdout);
    if (memory) Memory();
    ::OleUninitialize();
    return 0;
}
