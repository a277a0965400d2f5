// Times one full dispatch pass through the real chat window for a folder of N
// message files, with "Clear Scrollback on Overflow" on and off, next to the
// I/O floor measured in the same run: reading and hiding the same number of
// files with no display. Prints files per second and the ratio to the floor.
//
//   dispatch_bench.exe [--on-only] [N ...]      (default: 1000 10000)
// --on-only skips the display alone and the pass with the overflow rule off,
// whose pane grows without bound.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/chatwindow/win32/frmMain.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/startup/modMain.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeFolder(const std::string& name) {
    const std::string folder = outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "bench", name);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    return folder;
}

std::vector<std::string> Fill(const std::string& folder, int count) {
    std::vector<std::string> paths;
    outside::DateTimeRecord t{2024, 1, 0, 31, 13, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
        t.second = static_cast<uint16_t>(i / 1000 % 60);
        t.milliseconds = static_cast<uint16_t>(i % 1000);
        t.minute = static_cast<uint16_t>(i / 60000);
        const std::string path = exchange::BuildMessageFileName(t, exchange::kBinaryExtension, folder);
        exchange::WriteBinaryMessage(path, exchange::BuildBinaryRecord(t, "Бенчмарк", "Сообщение номер " + std::to_string(i) +
                                                                            ", достаточно длинное, как в жизни.",
                                                                        "{OTHER}"));
        paths.push_back(path);
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
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double WindowPass(int count, bool clearOnOverflow) {
    const std::string folder = MakeFolder("chat");
    Fill(folder, count);
    modMain::ChatFolder = folder;
    modMain::ChatFilePath = outside::esBuildFileName2(folder, "Бенчмарк.ZPMFChat");
    outside::TheTextFile().WriteText(modMain::ChatFilePath, "", outside::TextEncoding::Utf8);
    const auto start = Clock::now();
    auto form = chatwindow::frmMain::Load(std::getenv("BENCH_HIDDEN") != nullptr);
    modSettings::ClearScrollbackOnOverflow = clearOnOverflow;
    HWND hwnd = form->Handle();
    // The first timer tick runs the pass; it is over when no visible file is left.
    MSG msg{};
    while (!outside::ListPlainFiles(folder, "ZPMF").empty()) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    form->Unload();
    while (::IsWindow(hwnd) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return seconds;
}

// The display alone: the same number of lines into a RichEdit pane, painting off.
double DisplayOnly(int count) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 480, 300, nullptr, nullptr, nullptr, nullptr);
    chatwindow::RichEditPane pane(chatwindow::CreateRichEditPane(parent, 1));
    pane.SetRedraw(false);
    chatwindow::MessageDisplay display(pane, {[] { return true; }, [] {}, [](bool, bool) { return true; }, {}});
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        display.DisplayMessage("Бенчмарк", "Сообщение номер " + std::to_string(i), {2024, 1, 0, 31, 13, 5, 7, 42},
                               exchange::MessageKind::Other, "");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::DestroyWindow(parent);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    modSettings::LoadClientGuid();
    modSettings::LoadGlobalSettings();
    std::vector<int> counts;
    bool onOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--on-only")
            onOnly = true;
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) counts = {1000, 10000};

    std::printf("%8s  %-22s %10s %12s %8s\n", "files", "run", "seconds", "files/s", "ratio");
    for (int count : counts) {
        const double floor = Floor(count);
        std::printf("%8d  %-22s %10.2f %12.0f %8s\n", count, "I/O floor (read+hide)", floor, count / floor, "1.00");
        if (!onOnly) {
            const double display = DisplayOnly(count);
            std::printf("%8d  %-22s %10.2f %12.0f %8.2f\n", count, "display alone", display, count / display,
                        display / floor);
        }
        for (bool clear : {true, false}) {
            if (onOnly && !clear) continue;
            const double pass = WindowPass(count, clear);
            std::printf("%8d  %-22s %10.2f %12.0f %8.2f\n", count, clear ? "window, overflow on" : "window, overflow off",
                        pass, count / pass, pass / floor);
            std::fflush(stdout);
        }
    }
    ::OleUninitialize();
    return 0;
}
