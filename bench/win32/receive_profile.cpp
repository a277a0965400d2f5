// Where a message's time goes on the way from its file to the pane and the
// log, step by step, each step timed alone over N messages (microseconds per
// message), at two sizes so that a step whose cost grows with the pane shows.
//
//   receive_profile.exe [N ...]      (default: 1000 10000)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/chatwindow/MessageDisplay.h"
#include "app/chatwindow/RtfRuns.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Time(int count, const std::function<void(int)>& step) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) step(i);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

std::string Folder(const std::string& name) {
    const std::string folder = outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "bench", name);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    return folder;
}

std::vector<chatwindow::TextRun> MessageRuns(int i) {
    return {{" \r\n", 3, false, 0, 0},
            {"(13:05:07 - 31.01.2024) Бенчмарк:  ", 8, true, 0x800000, 0},
            {"Сообщение номер " + std::to_string(i) + ", достаточно длинное, как в жизни.\r\n", 9, false, 0, 0}};
}

struct Pane {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 480, 300, nullptr, nullptr, nullptr, nullptr);
    HWND edit = modRTFSupport::CreateRichEditPane(parent, 1);
    Pane() { ::SendMessageW(edit, WM_SETREDRAW, FALSE, 0); }
    ~Pane() { ::DestroyWindow(parent); }
};

void InsertRtf(HWND edit, const std::string& rtf) {
    const LONG length = ::GetWindowTextLengthW(edit);
    ::SendMessageW(edit, EM_SETSEL, length, length);
    SETTEXTEX how{ST_SELECTION, CP_ACP};
    ::SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(rtf.c_str()));
}

void Row(const char* step, int count, double us) { std::printf("%8d  %-44s %10.1f\n", count, step, us); }

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    modSettings::LoadGlobalSettings();
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {1000, 10000};
    std::printf("%8s  %-44s %10s\n", "messages", "step", "us/msg");
    for (const int n : counts) {
        const std::string folder = Folder("profile");
        std::vector<std::string> paths;
        const outside::DateTimeRecord t{2024, 1, 0, 31, 13, 0, 0, 0};
        Row("write message files", n, Time(n, [&](int i) {
                outside::DateTimeRecord s = t;
                s.second = static_cast<uint16_t>(i / 1000 % 60);
                s.minute = static_cast<uint16_t>(i / 60000);
                s.milliseconds = static_cast<uint16_t>(i % 1000);
                paths.push_back(exchange::BuildMessageFileName(s, exchange::kBinaryExtension, folder));
                exchange::WriteBinaryMessage(paths.back(), exchange::BuildBinaryRecord(s, "Бенчмарк", "x", "{OTHER}"));
            }));
        Row("list the folder (once, per file)", n, Time(1, [&](int) { outside::ListPlainFiles(folder, "ZPMF"); }) / n);
        Row("read a file", n, Time(n, [&](int i) { outside::TheTextFile().ReadText(paths[static_cast<size_t>(i)]); }));
        Row("is it syncing? (ask the file system)", n,
            Time(n, [&](int i) { outside::esIsFileExist(paths[static_cast<size_t>(i)] + ".!sync"); }));
        Row("hide a file", n, Time(n, [&](int i) { outside::HideFile(paths[static_cast<size_t>(i)]); }));
        Row("UTC to local time", n, Time(n, [&](int) { outside::esSystemTimeToLocalSystemTime(t); }));
        Row("format date and time", n, Time(n, [&](int) {
                outside::esFormatDate(t, 0, 0);
                outside::esFormatTime(t, 0, 0);
            }));
        Row("build one message's RTF", n, Time(n, [&](int i) { chatwindow::RunsToRtf(MessageRuns(i), "Tahoma"); }));
        {
            Pane pane;
            Row("RichEdit: insert one message", n,
                Time(n, [&](int i) { InsertRtf(pane.edit, chatwindow::RunsToRtf(MessageRuns(i), "Tahoma")); }));
            Row("RichEdit: text length (pane full)", n, Time(n, [&](int) { ::GetWindowTextLengthW(pane.edit); }));
            Row("RichEdit: position of the end (pane full)", n, Time(n, [&](int) {
                    POINTL end{};
                    ::SendMessageW(pane.edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end),
                                   ::GetWindowTextLengthW(pane.edit));
                }));
            Row("RichEdit: caret to the end (pane full)", n, Time(n, [&](int) {
                    const LONG length = ::GetWindowTextLengthW(pane.edit);
                    ::SendMessageW(pane.edit, EM_SETSEL, length, length);
                }));
            const int saves = n >= 10000 ? 5 : 20;
            Row("RichEdit: whole-pane save (per save)", n,
                Time(saves, [&](int) { outside::WriteFileAtomically(folder + "\\log.rtf", modRTFSupport::StreamOutRtf(pane.edit)); }));
        }
        {
            Pane pane;
            constexpr int kBatch = 50;
            Row("RichEdit: insert in batches of 50", n, Time(n / kBatch, [&](int b) {
                    std::vector<chatwindow::TextRun> runs;
                    for (int i = 0; i < kBatch; ++i)
                        for (auto& r : MessageRuns(b * kBatch + i)) runs.push_back(r);
                    InsertRtf(pane.edit, chatwindow::RunsToRtf(runs, "Tahoma"));
                }) / kBatch);
        }
        {
            Pane pane;
            ::SendMessageW(pane.edit, EM_SETUNDOLIMIT, 0, 0);
            Row("RichEdit: insert one message, no undo", n,
                Time(n, [&](int i) { InsertRtf(pane.edit, chatwindow::RunsToRtf(MessageRuns(i), "Tahoma")); }));
        }
        {
            HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480, 300, nullptr,
                                            nullptr, nullptr, nullptr);
            Row("set a window caption", n, Time(n, [&](int i) {
                    ::SetWindowTextW(window, (L"Сообщение " + std::to_wstring(i)).c_str());
                }));
            Row("let the message loop run once", n, Time(n, [&](int) {
                    MSG msg{};
                    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
                }));
            ::DestroyWindow(window);
        }
        std::fflush(stdout);
    }
    ::OleUninitialize();
    return 0;
}
