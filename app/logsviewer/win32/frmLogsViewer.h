// The logs viewer: the chat's saved conversation logs in a list (sorted,
// newest first, under month headings by the settings), the selected log in a
// rich-text pane, and a search through the text of every log.
//
// One instance, modeless, owned by no other window. A search runs on a worker
// thread that only reads files and posts its progress and result here, so the
// chat window keeps receiving while it runs.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../LogSearch.h"
#include "../LogsListLogic.h"
#include "app/chatwindow/win32/PaneLinks.h"
#include "app/support/win32/FormBase.h"
#include "outside/win32/Hookwell.h"

namespace logsviewer {

class frmLogsViewer final : public support::FormBase, public outside::IHookwellCallback {
public:
    // Opens the viewer, or brings the open one to the front. Null when the
    // window cannot be made.
    static frmLogsViewer* ShowViewer();
    // The chat window is closing: the viewer goes with it.
    static void UnloadViewer();
    // The loaded viewer, or null.
    static frmLogsViewer* Current();
    ~frmLogsViewer() override;

    HWND FilesList() const { return lstFiles_; }
    HWND LogPane() const { return rtfLog_; }
    HWND TagLabel() const { return lblTag_; }
    HWND SearchBox() const { return txtSearch_; }
    HWND CloseButton() const { return cmdClose_; }
    const std::vector<ListItem>& Items() const { return items_; }

    // Searches every log for text now (as Enter in the search box does); an
    // empty text ends the search.
    void Search(const std::string& text);
    // A search is running.
    bool SearchRunning() const { return worker_.joinable(); }
    // The list shows a search's result.
    bool SearchShown() const { return !searchText_.empty(); }
    // F3 and Shift+F3: the next or previous hit, across logs.
    void GoToHit(bool forward);
    // The hits of the log shown (positions in the pane) and the current one.
    const std::vector<size_t>& PaneHits() const { return paneHits_; }
    int CurrentHit() const { return currentHit_; }

    void WindowProc(outside::Hookwell& hook, HWND window, UINT& message, WPARAM& wParam, LPARAM& lParam,
                    LRESULT& result, bool& suppress) override;

protected:
    bool OnPreviewKey(int virtualKey, support::Modifiers modifiers) override;
    void OnEscape() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnResize(int widthTwips, int heightTwips) override;
    void OnUnload() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    frmLogsViewer() = default;
    bool Load();
    void CreateControls();
    void FillFilesList();
    void ShowItems(std::vector<ListItem> items);
    void lstFiles_Click();
    void ShowLoadError(const std::string& description);
    void HighlightHits();
    void SelectHit(int index);
    void cmdOpenLogsFolder_Click();
    void SetLabel(const std::string& text);
    void Relayout();
    void InstallWheelHooks();
    void RemoveWheelHooks();
    void StopSearch();
    void ClearSearch();
    void SearchFinished();
    ListOptions Options() const;
    std::string BoxText() const;

    HWND lstFiles_ = nullptr;
    HWND rtfLog_ = nullptr;
    chatwindow::PaneLinks links_;  // to the files sent, in the log shown
    HWND lblTag_ = nullptr;
    HWND cmdOpenLogsFolder_ = nullptr;
    HWND cmdClose_ = nullptr;
    HWND txtSearch_ = nullptr;
    std::array<std::unique_ptr<outside::Hookwell>, 3> hooks_;

    std::string folder_;
    LogsCollection logs_;
    std::vector<ListItem> items_;
    std::string totalLabel_;

    // The search: its text, the logs that hold it, and the worker.
    std::string searchText_;
    std::map<std::string, int> hitsByLog_;
    std::vector<size_t> paneHits_;
    int currentHit_ = -1;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::mutex resultLock_;
    std::vector<LogHits> result_;
    bool ignoreSearchChange_ = false;
    WPARAM generation_ = 0;  // of the search whose messages count
};

}  // namespace logsviewer
