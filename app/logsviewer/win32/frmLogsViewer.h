// The logs viewer: the chat's saved conversation logs in a list (sorted,
// newest first, under month headings by the settings), the selected log in a
// rich-text pane, and a search through the text of every log.
//
// One instance, modeless, owned by no other window. A search runs on a thread
// of its own that only reads files and posts its progress and result here, so
// the chat window keeps receiving while it runs.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../BackgroundSearch.h"
#include "../LogSearch.h"
#include "../LogsListLogic.h"
#include "app/startup/ClaimedChat.h"
#include "app/support/win32/FormBase.h"
#include "app/support/win32/PaneLinks.h"
#include "outside/win32/Hookwell.h"

namespace logsviewer {

class frmLogsViewer final : public support::FormBase, public outside::IHookwellCallback {
public:
    // Opens the viewer on the chat's logs, or brings the open one to the
    // front. Null when the window cannot be made.
    static frmLogsViewer* ShowViewer(startup::ChatPtr chat);
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
    // A search is running: asked for, its result not shown yet.
    bool SearchRunning() const { return searchPending_; }
    // The list shows a search's result.
    bool SearchShown() const { return !searchText_.empty(); }
    // F3 and Shift+F3: the next or previous hit, across logs. While a search
    // runs, the keys wait for its result: the first F3 lands on the first hit
    // (where a finished search puts the selection), Shift+F3 on the last.
    void GoToHit(bool forward);
    // Finds the hits of the search in the log shown, selects the first and
    // marks those in view (the others are marked as they come into view).
    void HighlightHits();
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
    explicit frmLogsViewer(startup::ChatPtr chat) : chat_(std::move(chat)) {}
    bool Load();
    void CreateControls();
    void FillFilesList();
    void ShowItems(std::vector<ListItem> items);
    void lstFiles_Click();
    void ShowLoadError(const std::string& description);
    void SelectHit(int index);
    void MarkHitsInView();
    void ApplyPendingSteps();
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

    const startup::ChatPtr chat_;  // never null
    HWND lstFiles_ = nullptr;
    HWND rtfLog_ = nullptr;
    support::PaneLinks links_;  // to the files sent, in the log shown
    HWND lblTag_ = nullptr;
    HWND cmdOpenLogsFolder_ = nullptr;
    HWND cmdClose_ = nullptr;
    HWND txtSearch_ = nullptr;
    std::array<std::unique_ptr<outside::Hookwell>, 5> hooks_;

    std::string folder_;
    LogsCollection logs_;
    std::vector<ListItem> items_;
    std::string totalLabel_;

    // The search: its text, the logs that hold it, and the search itself.
    std::string searchText_;
    std::map<std::string, int> hitsByLog_;
    std::vector<size_t> paneHits_;
    std::vector<bool> marked_;  // per pane hit: has its highlight
    size_t hitLength_ = 0;
    int currentHit_ = -1;
    bool markPosted_ = false;
    BackgroundSearch search_;
    bool searchPending_ = false;
    int pendingSteps_ = 0;  // F3 (+1) and Shift+F3 (-1) pressed while it runs
    bool prefetched_ = false;
    bool ignoreSearchChange_ = false;
    WPARAM generation_ = 0;  // of the search whose messages count
};

}  // namespace logsviewer
