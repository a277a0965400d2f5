#include "frmLogsViewer.h"

#include <commctrl.h>
#include <oleacc.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/settings/modSettings.h"
#include "app/support/modAppWindowTitle.h"
#include "app/support/win32/AccessibleName.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/DateTime.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "outside/win32/Wide.h"

namespace logsviewer {
namespace {

constexpr wchar_t kClassName[] = L"QuilletLogsViewer";
constexpr char kPlacementName[] = "frmLogsViewer";
enum ControlId : int { kIdList = 100, kIdPane, kIdLabel, kIdOpenFolder, kIdSearch, kIdClose = IDCANCEL };
constexpr UINT kSearchProgress = WM_APP + 1;  // wParam generation
constexpr UINT kSearchDone = WM_APP + 2;      // wParam generation
constexpr UINT kMarkHits = WM_APP + 3;        // the pane's view may have moved
constexpr UINT_PTR kTypingTimer = 1;
constexpr UINT kTypingDelayMs = 300;
constexpr COLORREF kHitColour = RGB(255, 230, 80);
constexpr uint64_t kMaxLogBytes = 256u * 1024u * 1024u;

std::unique_ptr<frmLogsViewer>& Viewer() {
    static std::unique_ptr<frmLogsViewer> viewer;
    return viewer;
}

std::string MonthHeading(int year, int month) {
    try {
        return outside::FormatMonthYear(year, month);
    } catch (const outside::RuntimeError&) {
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d", year, month);
        return text;
    }
}

// The pane's text as RichEdit counts its characters (paragraphs end in CR).
std::u16string PaneText(HWND pane) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT count = ::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::u16string text(static_cast<size_t>(std::max<LRESULT>(count, 0)) + 1, u'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    const LRESULT got =
        ::SendMessageW(pane, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
    return text;
}

}  // namespace

frmLogsViewer* frmLogsViewer::ShowViewer(startup::ChatPtr chat) {
    auto& viewer = Viewer();
    if (viewer && viewer->IsLoaded()) {
        viewer->Show();
        return viewer.get();
    }
    if (!chat) return nullptr;
    viewer.reset(new frmLogsViewer(std::move(chat)));
    if (!viewer->Load()) {
        viewer.reset();
        return nullptr;
    }
    return viewer.get();
}

void frmLogsViewer::UnloadViewer() {
    auto& viewer = Viewer();
    if (viewer && viewer->IsLoaded()) viewer->Unload();
    viewer.reset();
}

frmLogsViewer* frmLogsViewer::Current() {
    auto& viewer = Viewer();
    return viewer && viewer->IsLoaded() ? viewer.get() : nullptr;
}

frmLogsViewer::~frmLogsViewer() {
    StopSearch();
    RemoveWheelHooks();
}

bool frmLogsViewer::Load() {
    Design design;
    design.className = kClassName;
    design.caption = modAppWindowTitle::AppWindowTitle("Просмотр логов");
    design.clientWidth = kDesignClientWidth;
    design.clientHeight = kDesignClientHeight;
    design.sizable = true;
    design.minClientWidth = kMinClientWidth;
    design.minClientHeight = kMinClientHeight;
    if (!CreateForm(design)) return false;
    StandardLoadSteps();
    CreateControls();
    // A read-only pane: marking hits must not pile up undo records.
    ::SendMessageW(rtfLog_, EM_SETUNDOLIMIT, 0, 0);
    folder_ = modSettings::LogsFolder;
    FillFilesList();
    InstallWheelHooks();
    // The window is still hidden: the stored state (maximised or not) comes
    // back through the first ShowWindow.
    int showCommand = SW_SHOWNORMAL;
    RestorePlacement(chat_->ChatFilePath, kPlacementName, &showCommand);
    Relayout();
    ::ShowWindow(Handle(), showCommand);
    ::SetForegroundWindow(Handle());
    ::SetFocus(lstFiles_);
    return true;
}

void frmLogsViewer::CreateControls() {
    // Tab order: the list, the pane, the buttons, then the search box.
    lstFiles_ = AddControl(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                           WS_EX_CLIENTEDGE, kIdList, kDesignList);
    rtfLog_ = modRTFSupport::CreateRichEditPane(Handle(), kIdPane);
    Place(rtfLog_, kDesignPane);
    support::PaneLinks::Enable(rtfLog_);
    lblTag_ = AddLabel(kIdLabel, "Всего логов: ", kDesignLabel);
    cmdOpenLogsFolder_ = AddButton(kIdOpenFolder, "Открыть папку с логами", kDesignOpenFolder);
    cmdClose_ = AddButton(kIdClose, "Закрыть", kDesignClose);
    txtSearch_ = AddEdit(kIdSearch, "", {0, 0, 0, 0});
    ::SendMessageW(txtSearch_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(outside::W("Поиск (Ctrl+F)").c_str()));
    // No label stands before these three: their names for a screen reader.
    support::SetAccessibleName(lstFiles_, "Список логов", ROLE_SYSTEM_LIST);
    support::SetAccessibleName(rtfLog_, "Содержимое лога", ROLE_SYSTEM_TEXT);
    support::SetAccessibleName(txtSearch_, "Поиск (Ctrl+F)", ROLE_SYSTEM_TEXT);
}

ListOptions frmLogsViewer::Options() const {
    return {modSettings::SortLogsList, modSettings::SortLogsDescending, modSettings::GroupLogsList};
}

void frmLogsViewer::FillFilesList() {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    logs_ = CollectLogs(folder_);
    std::string size;
    try {
        size = outside::asFormatByteSizeEx(static_cast<uint64_t>(logs_.totalBytes));
    } catch (const outside::RuntimeError&) {
    }
    totalLabel_ = TotalLabel(logs_.count, size);
    ShowItems(BuildListItems(logs_.names, Options(), MonthHeading));
    SetLabel(totalLabel_);
    ::SetCursor(previous);
}

void frmLogsViewer::ShowItems(std::vector<ListItem> items) {
    items_ = std::move(items);
    ::SendMessageW(lstFiles_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(lstFiles_, LB_RESETCONTENT, 0, 0);
    for (const ListItem& item : items_) {
        const LRESULT index =
            ::SendMessageW(lstFiles_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(outside::W(item.text).c_str()));
        if (index >= 0) ::SendMessageW(lstFiles_, LB_SETITEMDATA, static_cast<WPARAM>(index), item.data);
    }
    ::SendMessageW(lstFiles_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(lstFiles_, nullptr, TRUE);
    const int selected = InitialSelection(static_cast<int>(items_.size()), Options());
    ::SendMessageW(lstFiles_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    lstFiles_Click();
}

void frmLogsViewer::lstFiles_Click() {
    paneHits_.clear();
    marked_.clear();
    currentHit_ = -1;
    ::SetWindowTextW(rtfLog_, L"");
    links_.Clear();
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE | CFM_BOLD | CFM_COLOR;
    cf.yHeight = 9 * 20;
    cf.bCharSet = RUSSIAN_CHARSET;
    cf.dwEffects = CFE_AUTOCOLOR;
    ::lstrcpynW(cf.szFaceName, L"Tahoma", LF_FACESIZE);
    ::SendMessageW(rtfLog_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));

    const LRESULT index = ::SendMessageW(lstFiles_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return;
    if (::SendMessageW(lstFiles_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) == kHeadingData) return;
    const std::string path = outside::esBuildFileName2(folder_, outside::asTrimEx(items_[index].fileName));
    std::string bytes;
    try {
        // Read whole and let go at once: the chat may be writing its current log.
        bytes = outside::ReadFileBytes(path, kMaxLogBytes);
    } catch (const outside::RuntimeError& e) {
        ShowLoadError(outside::TheErrorReport().DescribeError(e));
        return;
    }
    if (bytes.rfind("{\\rtf", 0) != 0) {
        ShowLoadError(outside::TheErrorReport().DescribeError(
            outside::RuntimeError(outside::kErrInvalidCall, "Файл не является документом RTF: " + path, "LoadFile")));
        return;
    }
    if (!modRTFSupport::StreamInRtf(rtfLog_, bytes)) {
        ShowLoadError(outside::TheErrorReport().DescribeError(
            outside::RuntimeError(outside::kErrInvalidCall, "Не удалось прочитать лог: " + path, "LoadFile")));
        return;
    }
    links_.Mark(rtfLog_, 0, bytes);
    if (SearchShown()) HighlightHits();
}

void frmLogsViewer::ShowLoadError(const std::string& description) {
    // Set apart in red and bold, as the pane shows nothing else.
    ::SetWindowTextW(rtfLog_, outside::W(description).c_str());
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD;
    cf.crTextColor = 255;
    cf.dwEffects = CFE_BOLD;
    ::SendMessageW(rtfLog_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

void frmLogsViewer::HighlightHits() {
    const std::u16string needle = FoldForSearch(outside::Utf8ToUtf16(searchText_));
    hitLength_ = needle.size();
    paneHits_ = FindHits(FoldForSearch(PaneText(rtfLog_)), needle);
    marked_.assign(paneHits_.size(), false);
    currentHit_ = -1;
    SelectHit(0);
}

void frmLogsViewer::SelectHit(int index) {
    if (index < 0 || static_cast<size_t>(index) >= paneHits_.size()) return;
    currentHit_ = index;
    const size_t at = paneHits_[static_cast<size_t>(index)];
    // The selection marks the current hit; the pane keeps showing it (no hiding).
    ::SendMessageW(rtfLog_, EM_SETSEL, at, at + hitLength_);
    ::SendMessageW(rtfLog_, EM_SCROLLCARET, 0, 0);
    MarkHitsInView();
}

void frmLogsViewer::MarkHitsInView() {
    markPosted_ = false;
    if (paneHits_.empty()) return;
    // Marking a hit costs a selection and a format change, about half a
    // millisecond each under Wine, so thousands would hang the window: only
    // the hits in view are marked, and the others when they come into view.
    RECT client{};
    ::GetClientRect(rtfLog_, &client);
    POINTL topLeft{0, 0}, bottomRight{client.right, client.bottom};
    const auto first = static_cast<size_t>(
        std::max<LRESULT>(0, ::SendMessageW(rtfLog_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&topLeft))));
    const auto last = static_cast<size_t>(
        std::max<LRESULT>(0, ::SendMessageW(rtfLog_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottomRight))));
    const auto begin = paneHits_.begin();
    const auto from = std::lower_bound(begin, paneHits_.end(), first >= hitLength_ ? first - hitLength_ : 0);
    const auto to = std::upper_bound(from, paneHits_.end(), last);
    std::vector<size_t> todo;
    for (auto hit = from; hit != to; ++hit) todo.push_back(static_cast<size_t>(hit - begin));
    // The current hit too, in view or not (where F3 went).
    if (currentHit_ >= 0 && (begin + currentHit_ < from || begin + currentHit_ >= to))
        todo.push_back(static_cast<size_t>(currentHit_));
    std::erase_if(todo, [this](size_t index) { return marked_[index]; });
    if (todo.empty()) return;

    // With the pane frozen (no painting, notices or visible selection), then
    // the user's selection and scroll position put back as they were.
    CHARRANGE selection{};
    ::SendMessageW(rtfLog_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    POINT scroll{};
    ::SendMessageW(rtfLog_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    ::SendMessageW(rtfLog_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(rtfLog_, EM_HIDESELECTION, TRUE, 0);
    const LRESULT events = ::SendMessageW(rtfLog_, EM_SETEVENTMASK, 0, 0);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BACKCOLOR;
    cf.crBackColor = kHitColour;
    for (const size_t index : todo) {
        const auto at = static_cast<LONG>(paneHits_[index]);
        CHARRANGE range{at, at + static_cast<LONG>(hitLength_)};
        ::SendMessageW(rtfLog_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        ::SendMessageW(rtfLog_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        marked_[index] = true;
    }
    ::SendMessageW(rtfLog_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(rtfLog_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    ::SendMessageW(rtfLog_, EM_SETEVENTMASK, 0, events);
    ::SendMessageW(rtfLog_, EM_HIDESELECTION, FALSE, 0);
    ::SendMessageW(rtfLog_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(rtfLog_, nullptr, TRUE);
}

void frmLogsViewer::GoToHit(bool forward) {
    if (searchPending_) {
        // The list still holds every log: the keys wait for the result.
        pendingSteps_ += forward ? 1 : -1;
        return;
    }
    if (!SearchShown() || items_.empty()) return;
    const int step = forward ? 1 : -1;
    const int next = currentHit_ + step;
    if (currentHit_ >= 0 && next >= 0 && static_cast<size_t>(next) < paneHits_.size()) {
        SelectHit(next);
        return;
    }
    // On to the next log with hits, round the list.
    const int count = static_cast<int>(items_.size());
    int index = static_cast<int>(::SendMessageW(lstFiles_, LB_GETCURSEL, 0, 0));
    for (int tried = 0; tried < count; ++tried) {
        index = ((index < 0 ? (forward ? -1 : 0) : index) + step + count) % count;
        if (items_[static_cast<size_t>(index)].data == kHeadingData) continue;
        ::SendMessageW(lstFiles_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        lstFiles_Click();
        if (paneHits_.empty()) continue;
        SelectHit(forward ? 0 : static_cast<int>(paneHits_.size()) - 1);
        return;
    }
}

void frmLogsViewer::Search(const std::string& typed) {
    ::KillTimer(Handle(), kTypingTimer);
    const std::string text = outside::asTrimEx(typed);
    StopSearch();
    if (text.empty()) {
        ClearSearch();
        return;
    }
    ++generation_;
    searchText_ = text;
    if (BoxText() != typed) {
        ignoreSearchChange_ = true;
        ::SetWindowTextW(txtSearch_, outside::W(typed).c_str());
        ignoreSearchChange_ = false;
    }
    searchPending_ = true;
    SetLabel("Поиск… 0 из " + std::to_string(logs_.names.size()));
    Relayout();
    HWND window = Handle();
    const WPARAM generation = generation_;
    search_.Start(folder_, logs_.names, text, [window, generation](bool finished) {
        ::PostMessageW(window, finished ? kSearchDone : kSearchProgress, generation, 0);
    });
}

std::string frmLogsViewer::BoxText() const {
    const int length = ::GetWindowTextLengthW(txtSearch_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(txtSearch_, text.data(), length + 1)));
    return outside::U8(text);
}

void frmLogsViewer::StopSearch() {
    search_.Stop();
    searchPending_ = false;
    pendingSteps_ = 0;
    ++generation_;  // whatever it posted no longer counts
}

void frmLogsViewer::SearchFinished() {
    search_.Stop();  // it has ended: this only lets the thread go
    searchPending_ = false;
    const SearchResult result = search_.TakeResult();
    hitsByLog_.clear();
    std::vector<std::string> names;
    for (const LogHits& log : result.found) {
        hitsByLog_[log.name] = log.hits;
        names.push_back(log.name);
    }
    SetLabel(FoundLabel(result.found.size(), logs_.names.size(), result.unreadable.size()));
    // The count takes the place of ".RTF", so the line fits the list as the name did.
    ShowItems(BuildListItems(names, Options(), MonthHeading, [this](const std::string& name) {
        const std::string stem = name.size() > 4 ? name.substr(0, name.size() - 4) : name;
        return stem + " (" + std::to_string(hitsByLog_[name]) + ")";
    }));
    ApplyPendingSteps();
}

void frmLogsViewer::ApplyPendingSteps() {
    // The result shows the first hit, which is where the first F3 goes; one
    // Shift+F3 from there is the last hit.
    int steps = pendingSteps_;
    pendingSteps_ = 0;
    if (steps > 0) --steps;
    for (; steps > 0; --steps) GoToHit(true);
    for (; steps < 0; ++steps) GoToHit(false);
}

void frmLogsViewer::ClearSearch() {
    StopSearch();
    const bool wasShown = SearchShown();
    searchText_.clear();
    hitsByLog_.clear();
    if (::GetWindowTextLengthW(txtSearch_) > 0) {
        ignoreSearchChange_ = true;
        ::SetWindowTextW(txtSearch_, L"");
        ignoreSearchChange_ = false;
    }
    SetLabel(totalLabel_);
    if (wasShown) ShowItems(BuildListItems(logs_.names, Options(), MonthHeading));
    Relayout();
}

void frmLogsViewer::SetLabel(const std::string& text) {
    ::SetWindowTextW(lblTag_, outside::W(text).c_str());
    Relayout();
    // The label drew its new text in its old width, wrapped where that was too
    // narrow; widened, it repaints only the new part. So it is painted whole.
    ::InvalidateRect(lblTag_, nullptr, TRUE);
}

void frmLogsViewer::Relayout() {
    if (Handle() && !::IsIconic(Handle())) OnResize(ClientWidthTwips(), ClientHeightTwips());
}

void frmLogsViewer::OnResize(int width, int height) {
    const bool searching = SearchShown() || SearchRunning() || ::GetFocus() == txtSearch_;
    const LogsViewerLayout l = LayoutLogsViewer(width, height, TextWidthTwips(lblTag_), kDesignLabel.height, searching);
    Place(lstFiles_, l.list);
    Place(rtfLog_, l.pane);
    Place(lblTag_, l.label);
    Place(cmdOpenLogsFolder_, l.openFolder);
    Place(cmdClose_, l.close);
    Place(txtSearch_, l.search);
    ::ShowWindow(txtSearch_, l.searchVisible ? SW_SHOWNA : SW_HIDE);
}

void frmLogsViewer::cmdOpenLogsFolder_Click() {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(Handle(), L"explore", outside::W(folder_).c_str(), nullptr, nullptr, SW_SHOWDEFAULT));
    if (result <= 32) outside::MsgBox(folder_ + "\r\n\r\n" + "Не удалось открыть папку с логами.", outside::kMbIconError);
}

bool frmLogsViewer::OnPreviewKey(int virtualKey, support::Modifiers m) {
    if (virtualKey == 'F' && m.CtrlOnly()) {
        ::SetFocus(txtSearch_);
        ::SendMessageW(txtSearch_, EM_SETSEL, 0, -1);
        Relayout();
        return true;
    }
    if (virtualKey == support::kVkF3 && (m.None() || m.ShiftOnly())) {
        GoToHit(m.None());
        return true;
    }
    if (virtualKey == support::kVkReturn && m.None() && ::GetFocus() == txtSearch_) {
        Search(BoxText());
        return true;
    }
    return FormBase::OnPreviewKey(virtualKey, m);
}

void frmLogsViewer::OnEscape() {
    // Esc first ends a search; with none, it closes the window.
    if (SearchShown() || SearchRunning() || ::GetWindowTextLengthW(txtSearch_) > 0) {
        ClearSearch();
        ::SetFocus(lstFiles_);
        return;
    }
    Unload();
}

void frmLogsViewer::OnCommand(int id, int code, HWND) {
    switch (id) {
        case kIdList:
            if (code == LBN_SELCHANGE) lstFiles_Click();
            break;
        case kIdOpenFolder:
            if (code == BN_CLICKED) cmdOpenLogsFolder_Click();
            break;
        case kIdClose:
            if (code == BN_CLICKED) Unload();
            break;
        case kIdSearch:
            if (code == EN_CHANGE && !ignoreSearchChange_) ::SetTimer(Handle(), kTypingTimer, kTypingDelayMs, nullptr);
            if (code == EN_SETFOCUS || code == EN_KILLFOCUS) Relayout();
            // Whoever goes to the search box is about to search: read the logs meanwhile.
            if (code == EN_SETFOCUS && !prefetched_ && !searchPending_) {
                prefetched_ = true;
                search_.Prefetch(folder_, logs_.names);
            }
            break;
        default:
            break;
    }
}

LRESULT frmLogsViewer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTypingTimer) {
                ::KillTimer(Handle(), kTypingTimer);
                Search(BoxText());
                return 0;
            }
            break;
        case kSearchProgress:
            if (wParam == generation_ && searchPending_)
                SetLabel("Поиск… " + std::to_string(search_.Done()) + " из " + std::to_string(logs_.names.size()));
            return 0;
        case kSearchDone:
            if (wParam == generation_ && searchPending_) SearchFinished();
            return 0;
        case kMarkHits:
            MarkHitsInView();
            return 0;
        case WM_NOTIFY: {
            // Clicks on the links to sent files.
            LRESULT result = 0;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == rtfLog_ && links_.HandleNotify(header, chat_->ChatFolder, result)) return result;
            break;
        }
        default:
            break;
    }
    return FormBase::HandleMessage(msg, wParam, lParam);
}

void frmLogsViewer::OnUnload() {
    StopSearch();
    search_.Close();  // the object outlives its window: the kept text goes now
    SavePlacement(chat_->ChatFilePath, kPlacementName);
    RemoveWheelHooks();
}

void frmLogsViewer::InstallWheelHooks() {
    if (outside::esIsInIDE()) return;
    // The search box too: with the focus in it, the wheel over the pane scrolls the pane.
    // The pane's own hook only learns that its view may have moved.
    const HWND windows[] = {lstFiles_, cmdClose_, cmdOpenLogsFolder_, txtSearch_, rtfLog_};
    for (size_t i = 0; i < hooks_.size(); ++i) {
        hooks_[i] = std::make_unique<outside::Hookwell>();
        hooks_[i]->SetCallback(this);
        hooks_[i]->HookWindow(windows[i]);
    }
}

void frmLogsViewer::RemoveWheelHooks() {
    for (auto& hook : hooks_) {
        if (!hook) continue;
        hook->HookWindow(nullptr);
        hook->SetCallback(nullptr);
        hook.reset();
    }
}

void frmLogsViewer::WindowProc(outside::Hookwell&, HWND window, UINT& message, WPARAM& wParam, LPARAM& lParam,
                               LRESULT&, bool& suppress) {
    if (window == rtfLog_) {
        // After the pane has moved, hits that came into view are marked.
        const bool viewMayMove = message == WM_VSCROLL || message == WM_MOUSEWHEEL || message == WM_KEYDOWN ||
                                 message == WM_SIZE || message == WM_LBUTTONUP;
        if (viewMayMove && !paneHits_.empty() && !markPosted_)
            markPosted_ = ::PostMessageW(Handle(), kMarkHits, 0, 0) != FALSE;
        return;
    }
    if (message != WM_MOUSEWHEEL) return;
    // Where the wheel turned, as the message says (the cursor may have moved on since).
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &at);
    if (::ChildWindowFromPoint(Handle(), at) != rtfLog_) return;
    // The pane under the pointer scrolls, wherever the focus is.
    ::SendMessageW(rtfLog_, WM_MOUSEWHEEL, wParam, lParam);
    message = WM_NULL;
    wParam = 0;
    lParam = 0;
    suppress = true;
}

}  // namespace logsviewer
