// Where a message's time goes on the way from its file to the pane and the
// log, step by step, each step timed alone over N messages (microseconds per
// message), at two sizes so that a step whose cost grows with the pane shows.
// The pane rows put messages into a RichEdit of the chat window's size, not
// drawn, as during a pass.
//
//   receive_profile.exe [N ...]      (default: 1000 10000)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/chatwindow/ChatWindowLogic.h"
#include "app/chatwindow/ConversationLog.h"
#include "app/chatwindow/MessageDisplay.h"
#include "app/chatwindow/RtfRuns.h"
#include "app/chatwindow/win32/RichEditPane.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using chatwindow::TextRun;

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

std::vector<TextRun> MessageRuns(int i) {
    return {{" \r\n", 3, false, 0, 0},
            {"(13:05:07 - 31.01.2024) Бенчмарк:  ", 8, true, 0x800000, 0},
            {"Сообщение номер " + std::to_string(i) + ", достаточно длинное, как в жизни.\r\n", 9, false, 0, 0}};
}

std::vector<TextRun> BatchRuns(int first, int count) {
    std::vector<TextRun> runs;
    for (int i = first; i < first + count; ++i)
        for (TextRun& r : MessageRuns(i)) runs.push_back(std::move(r));
    return runs;
}

// A RichEdit as the chat window makes and places it, not drawn.
struct Pane {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, chatwindow::kDesignClientWidth / 15,
                                    chatwindow::kDesignClientHeight / 15, nullptr, nullptr, nullptr, nullptr);
    HWND edit = modRTFSupport::CreateRichEditPane(parent, 1);
    Pane() {
        const auto log = chatwindow::LayoutChatWindow(chatwindow::kDesignClientWidth, chatwindow::kDesignClientHeight).log;
        ::MoveWindow(edit, log.left / 15, log.top / 15, log.width / 15, log.height / 15, FALSE);
        ::SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    }
    ~Pane() { ::DestroyWindow(parent); }
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;
    void Fill(int messages) {
        for (int i = 0; i < messages; i += 300) Insert(chatwindow::RunsToPaneRtf(BatchRuns(i, 300), "Tahoma"));
    }
    void Insert(const std::string& rtf) const {
        const LONG length = ::GetWindowTextLengthW(edit);
        ::SendMessageW(edit, EM_SETSEL, length, length);
        SETTEXTEX how{ST_SELECTION, CP_ACP};
        ::SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(rtf.c_str()));
    }
};

// Redraw batches of 300 messages into a pane that grows to count; the RTF is
// made by rtf, the pane set up by prepare.
double InsertBatches(int count, const std::function<std::string(const std::vector<TextRun>&)>& rtf,
                     const std::function<void(HWND)>& prepare = {}) {
    Pane pane;
    if (prepare) prepare(pane.edit);
    constexpr int kBatch = 300;
    return Time(count / kBatch, [&](int b) { pane.Insert(rtf(BatchRuns(b * kBatch, kBatch))); }) / kBatch;
}

// A pane the log saves from: it hands over the runs it was given.
class RunsPane final : public chatwindow::IConversationPane {
public:
    bool IsEmpty() const override { return false; }
    void BeginAppend() override {}
    void EndAppend() override {}
    void AppendText(const std::string&, int, bool, int32_t, int) override {}
    void Clear() override {}
    std::vector<TextRun> TakeUnloggedRuns() override {
        std::vector<TextRun> taken;
        taken.swap(runs);
        return taken;
    }
    std::vector<TextRun> runs;
};

void Row(const char* step, int count, double us) { std::printf("%8d  %-48s %10.1f\n", count, step, us); }

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    modSettings::LoadGlobalSettings();
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {1000, 10000};
    std::printf("%8s  %-48s %10s\n", "messages", "step", "us/msg");
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
        // A missing name costs a scan of the folder under Wine: 200 files show it.
        Row("is it syncing? (ask the file system, 200 files)", n,
            Time(std::min(n, 200), [&](int i) { outside::esIsFileExist(paths[static_cast<size_t>(i)] + ".!sync"); }));
        Row("hide a file", n, Time(n, [&](int i) { outside::HideFile(paths[static_cast<size_t>(i)]); }));
        Row("UTC to local time", n, Time(n, [&](int) { outside::esSystemTimeToLocalSystemTime(t); }));
        Row("format date and time", n, Time(n, [&](int) {
                outside::esFormatDate(t, 0, 0);
                outside::esFormatTime(t, 0, 0);
            }));
        Row("build a batch's RTF for the pane", n,
            Time(n / 300, [&](int b) { chatwindow::RunsToPaneRtf(BatchRuns(b * 300, 300), "Tahoma"); }) / 300);

        const auto pane = [](const std::vector<TextRun>& runs) { return chatwindow::RunsToPaneRtf(runs, "Tahoma"); };
        Row("RichEdit: insert batches of 300", n, InsertBatches(n, pane));
        {
            Pane one;
            Row("RichEdit: insert one message at a time", n,
                Time(n, [&](int i) { one.Insert(chatwindow::RunsToPaneRtf(MessageRuns(i), "Tahoma")); }));
        }
        Row("RichEdit: batches of 300, with undo", n, InsertBatches(n, pane, [](HWND edit) {
                ::SendMessageW(edit, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
                ::SendMessageW(edit, EM_SETUNDOLIMIT, 100, 0);
            }));
        // Each \plain leaves Wine's RichEdit a style more to search: the square of the pane.
        if (n <= 2000)
            Row("RichEdit: batches of 300, \\plain before each run", n, InsertBatches(n, [](const auto& runs) {
                    return chatwindow::RunsToRtf(runs, "Tahoma");
                }));
        for (const bool inPieces : {false, true}) {
            constexpr int kClears = 5;
            std::vector<Pane> panes(kClears);
            for (Pane& p : panes) p.Fill(300);
            Row(inPieces ? "RichEdit: clear 300 messages, in pieces (per clear)"
                         : "RichEdit: clear 300 messages at once (per clear)",
                n, Time(kClears, [&](int i) {
                    HWND edit = panes[static_cast<size_t>(i)].edit;
                    if (inPieces)
                        chatwindow::RichEditPane(edit).Clear();
                    else
                        ::SetWindowTextW(edit, L"");
                }));
        }

        // The log: a save per batch of 50 files, and a new generation after a clear.
        modSettings::LogsFolder = Folder("profile-logs");
        RunsPane runs;
        chatwindow::ConversationLog log(runs, {}, chatwindow::DisplayColours);
        constexpr int kPerSave = 50;
        Row("log: save of 50 messages (per message)", n, Time(n / kPerSave, [&](int b) {
                runs.runs = BatchRuns(b * kPerSave, kPerSave);
                log.SaveLog(true, false);
            }) / kPerSave);
        Row("log: first save of a generation (per save)", n, Time(20, [&](int b) {
                runs.runs = BatchRuns(b, 1);
                log.SaveLog(true, true);
            }));

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
            Row("is the window the active one?", n, Time(n, [&](int) { (void)(::GetForegroundWindow() == window); }));
            ::DestroyWindow(window);
        }
        std::fflush(stdout);
    }
    ::OleUninitialize();
    return 0;
}
