// The logs viewer through its real window, opened from the chat window (the list's rules: LogsListLogicTest).
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "ChatWindowFixture.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "outside/DateTime.h"
#include "outside/Support.h"
#include "outside/win32/WindowSupport.h"
#include "outside/win32/Wide.h"
#include "support/LogWriting.h"

using logsviewer::frmLogsViewer;
using testsupport::LocalTime;
using testsupport::WriteLog;

namespace {

std::string Item(HWND list, int index) {
    std::wstring text(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return outside::U8(text);
}
using wintest::WindowText;
int Selected(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }
int Count(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); }
LONG ScrollY(HWND pane) {
    POINT at{};
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
    return at.y;
}
CHARRANGE Selection(HWND pane) {
    CHARRANGE selection{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection;
}
// Whether every character of [at, at + length) has the hit's highlight; the pane's selection and view kept.
bool Marked(HWND pane, size_t at, size_t length) {
    POINT scroll{0, ScrollY(pane)};
    CHARRANGE selection = Selection(pane);
    bool marked = true;
    for (size_t i = at; i < at + length; ++i) {
        ::SendMessageW(pane, EM_SETSEL, i, i + 1);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        marked = marked && cf.crBackColor == RGB(255, 230, 80) && !(cf.dwEffects & CFE_AUTOBACKCOLOR);
    }
    ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    return marked;
}
// A real click on an item, as the mouse gives it.
void ClickItem(HWND list, int index) {
    RECT r{};
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
}

class LogsViewerTest : public wintest::ChatWindowFixture {
protected:
    LogsViewerTest() : ChatWindowFixture("Логи.ZPMFChat") {}
    void SetUp() override {
        ChatWindowFixture::SetUp();
        Open();
        modSettings::LogsFolder = logs.path();
        modSettings::SortLogsList = true;
        modSettings::SortLogsDescending = true;
        modSettings::GroupLogsList = true;
    }
    // Through the toolbar button, where Ctrl+L and the tray item lead too.
    frmLogsViewer& OpenViewer() {
        form->ToolbarClick(chatwindow::kLogs);
        viewer = frmLogsViewer::Current();
        if (!viewer) throw std::runtime_error("no viewer");
        list = viewer->FilesList();
        pane = viewer->LogPane();
        return *viewer;
    }
    std::string PaneText() const { return modRTFSupport::PlainText(pane); }
    void Search(const std::string& text) {
        viewer->Search(text);
        ASSERT_TRUE(wintest::PumpUntil([&] { return !viewer->SearchRunning() && viewer->SearchShown(); }));
    }
    void MakeMonths() {
        WriteLog(logs.path(), LocalTime(2024, 4, 30, 9, 0, 0), {"Апрельский лог"});
        WriteLog(logs.path(), LocalTime(2024, 5, 1, 10, 0, 0), {"Первое мая"});
        WriteLog(logs.path(), LocalTime(2024, 5, 2, 8, 0, 0), {"Новейший лог: второе мая"});
    }

    testsupport::TempDir logs;
    frmLogsViewer* viewer = nullptr;
    HWND list = nullptr, pane = nullptr;
};

TEST_F(LogsViewerTest, WithoutLogsOneInstanceOwnedByTheChatWindowKeepingItsSizeAndPlacement) {
    OpenViewer();
    EXPECT_EQ(WindowText(viewer->Handle()), "Quillet :: Просмотр логов");
    EXPECT_EQ(Count(list), 0);
    EXPECT_EQ(WindowText(viewer->TagLabel()), "Всего логов: 0 (" + outside::asFormatByteSizeEx(0) + ")");
    HWND first = viewer->Handle();
    EXPECT_EQ(::GetWindow(first, GW_OWNER), outside::esGetThunderMainHandle()) << "owned by the chat window";
    EXPECT_EQ(OpenViewer().Handle(), first) << "one instance";

    // Shrunk, it snaps back to its minimum (where its controls go: LogsListLogic.LayoutFollowsTheClientArea).
    ::SetWindowPos(first, nullptr, 0, 0, 100, 60, SWP_NOMOVE | SWP_NOZORDER);
    wintest::PumpFor(100);
    RECT client{};
    ::GetClientRect(first, &client);
    EXPECT_GE(client.right, 7200 / 15);
    EXPECT_LE(client.right, 7200 / 15 + 1);
    EXPECT_GE(client.bottom, 1950 / 15);

    // Maximised it comes back maximised, and normal comes back normal.
    for (const int show : {SW_MAXIMIZE, SW_RESTORE}) {
        ::ShowWindow(viewer->Handle(), show);
        wintest::PumpFor(50);
        frmLogsViewer::UnloadViewer();
        OpenViewer();
        EXPECT_EQ(::IsZoomed(viewer->Handle()) != FALSE, show == SW_MAXIMIZE) << show;
        EXPECT_TRUE(::IsWindowVisible(viewer->Handle()));
    }

    // It goes with the chat window.
    first = viewer->Handle();
    form->Unload();
    wintest::PumpUntil([&] { return !::IsWindow(hwnd); });
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(frmLogsViewer::Current(), nullptr);
}

TEST_F(LogsViewerTest, MonthsGroupedNewestFirstTheNewestShownAndADamagedLogInRed) {
    MakeMonths();
    // Enough logs for the list to scroll, and a log long enough for the pane to.
    for (int d = 1; d <= 30; ++d) WriteLog(logs.path(), LocalTime(2024, 3, d, 8, 0, 0), {"x"});
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back("Строка " + std::to_string(i));
    WriteLog(logs.path(), LocalTime(2024, 4, 1, 8, 0, 0), lines);
    testsupport::WriteRaw(logs / "2024-06-01 10-00-00.RTF", "this is no RTF at all");
    OpenViewer();
    const std::string june = outside::FormatMonthYear(2024, 6), may = outside::FormatMonthYear(2024, 5),
                      april = outside::FormatMonthYear(2024, 4);
    EXPECT_TRUE(may.find("2024") != std::string::npos && may != april) << "headings name month and year: " << may;
    const std::vector<std::pair<std::string, LRESULT>> expected = {
        {june, 69}, {"    2024-06-01 10-00-00.RTF", 0}, {may, 69}, {"    2024-05-02 08-00-00.RTF", 0},
        {"    2024-05-01 10-00-00.RTF", 0}, {april, 69}, {"    2024-04-30 09-00-00.RTF", 0}};
    ASSERT_EQ(Count(list), static_cast<int>(expected.size()) + 32);
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        EXPECT_EQ(Item(list, i), expected[static_cast<size_t>(i)].first) << i;
        EXPECT_EQ(::SendMessageW(list, LB_GETITEMDATA, i, 0), expected[static_cast<size_t>(i)].second) << i;
    }
    EXPECT_EQ(WindowText(viewer->TagLabel()).rfind("Всего логов: 35 (", 0), 0u) << WindowText(viewer->TagLabel());

    // The newest (the list's order and headings: LogsListLogic), damaged: the error names the file, in red and bold, and none of its bytes.
    EXPECT_EQ(Selected(list), 1);
    EXPECT_NE(PaneText().find("2024-06-01 10-00-00.RTF"), std::string::npos) << PaneText();
    EXPECT_EQ(PaneText().find("this is no RTF"), std::string::npos) << PaneText();
    const wintest::CharFormat error = wintest::FormatAt(pane, 0);
    EXPECT_EQ(error.colour, RGB(255, 0, 0));
    EXPECT_TRUE(error.bold);

    // A click on a log shows it; a click on a heading empties the pane.
    ClickItem(list, 3);
    EXPECT_NE(PaneText().find("Новейший лог"), std::string::npos);
    EXPECT_FALSE(wintest::FormatAt(pane, 0).bold) << "the error's format is gone with it";
    ClickItem(list, 5);
    EXPECT_EQ(Selected(list), 5);
    EXPECT_EQ(PaneText(), "");

    // The wheel over the pane scrolls it, wherever the focus is (Windows gives the wheel to the focus).
    ClickItem(list, 7);
    ::SetForegroundWindow(viewer->Handle());
    RECT r{};
    ::GetWindowRect(pane, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    ::SetCursorPos(x, y);
    for (HWND focus : {list, viewer->SearchBox(), viewer->CloseButton()}) {
        ::SetFocus(focus);
        POINT top{0, 0};
        ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&top));
        const LRESULT topItem = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        ::SendMessageW(focus, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3)), MAKELPARAM(x, y));
        wintest::PumpFor(50);
        EXPECT_GT(ScrollY(pane), 0) << "the pane scrolled, focus on " << WindowText(focus);
        EXPECT_EQ(::SendMessageW(list, LB_GETTOPINDEX, 0, 0), topItem) << "the list did not";
        EXPECT_EQ(Selected(list), 7);
    }
}

TEST_F(LogsViewerTest, SearchFindsTheLogsMarksTheHitsInViewAndF3WalksThemEvenBeforeTheResult) {
    // Two logs with "детей": three hits in May, one in April.
    MakeMonths();
    WriteLog(logs.path(), LocalTime(2024, 5, 3, 9, 0, 0), {"Кто забирает ДЕТЕЙ?", "Лёва: я заберу детей", "Детей!"});
    WriteLog(logs.path(), LocalTime(2024, 4, 2, 9, 0, 0), {"Аня: дети дома, детей кормить"});
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back("Абрикос за абрикосом, " + std::to_string(i));
    WriteLog(logs.path(), LocalTime(2024, 3, 1, 10, 0, 0), lines);
    OpenViewer();
    const int allItems = Count(list);
    Search("детей");
    wintest::PumpFor(50);
    ASSERT_EQ(Count(list), 4);
    EXPECT_EQ(Item(list, 1), "    2024-05-03 09-00-00 (3)");
    EXPECT_EQ(Item(list, 3), "    2024-04-02 09-00-00 (1)");
    EXPECT_EQ(WindowText(viewer->TagLabel()), "Найдено логов: 2 из 6");
    // The label, longer now than while searching, shows all of it: the screen as the label prints itself.
    ::UpdateWindow(viewer->Handle());
    RECT rc{};
    ::GetClientRect(viewer->TagLabel(), &rc);
    HDC screen = ::GetDC(viewer->TagLabel());
    EXPECT_EQ(wintest::Painted(rc.right, rc.bottom, RGB(255, 0, 255),
                               [&](HDC dc) { ::BitBlt(dc, 0, 0, rc.right, rc.bottom, screen, 0, 0, SRCCOPY); }),
              wintest::PrintedClient(viewer->TagLabel()));
    ::ReleaseDC(viewer->TagLabel(), screen);
    EXPECT_EQ(WindowText(viewer->SearchBox()), "детей");
    EXPECT_EQ(Selected(list), 1);

    // Every hit of the log shown has the highlight, the first is selected:
    // where RichEdit's own finder sees the word in each case the logs spell it
    // (Wine's finder folds no Cyrillic), not the positions the viewer computed.
    std::vector<size_t> found;
    for (const wchar_t* spelling : {L"детей", L"Детей", L"ДЕТЕЙ"}) {
        FINDTEXTEXW find{{0, -1}, spelling, {}};
        while (::SendMessageW(pane, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)) >= 0) {
            found.push_back(static_cast<size_t>(find.chrgText.cpMin));
            find.chrg.cpMin = find.chrgText.cpMax;
        }
    }
    std::sort(found.begin(), found.end());
    ASSERT_EQ(found.size(), 3u) << PaneText();
    EXPECT_EQ(viewer->PaneHits(), found);
    EXPECT_EQ(viewer->CurrentHit(), 0);
    const CHARRANGE first = Selection(pane);
    EXPECT_EQ(std::make_pair(static_cast<size_t>(first.cpMin), first.cpMax - first.cpMin), std::make_pair(found[0], 5L));
    for (size_t at : found) EXPECT_TRUE(Marked(pane, at, 5)) << at;
    EXPECT_FALSE(Marked(pane, 0, 1)) << "text between";

    // F3 goes through the hits, then on to the next log; Shift+F3 comes back.
    struct Keys {
        std::vector<bool> keys;  // true F3, false Shift+F3
        int item, hit;           // where they lead
    };
    const Keys walks[] = {{{true, true}, 1, 2}, {{true}, 3, 0}, {{false}, 1, 2}};
    for (const auto& walk : walks) {
        for (bool forward : walk.keys) viewer->GoToHit(forward);
        EXPECT_EQ(Selected(list), walk.item) << walk.keys.size() << " keys";
        EXPECT_EQ(viewer->CurrentHit(), walk.hit) << walk.keys.size() << " keys";
    }
    // Keys during a search wait for its result: the list still holds every log, nothing of it is walked.
    const Keys early[] = {{{true}, 1, 0}, {{false}, 3, 0}};
    for (const auto& c : early) {
        viewer->Search("");
        const int selected = Selected(list);
        const std::string shown = PaneText();
        viewer->Search("детей");
        ASSERT_TRUE(viewer->SearchRunning());
        for (bool forward : c.keys) viewer->GoToHit(forward);
        EXPECT_EQ(Selected(list), selected);
        EXPECT_EQ(PaneText(), shown);
        ASSERT_TRUE(wintest::PumpUntil([&] { return !viewer->SearchRunning() && viewer->SearchShown(); }));
        EXPECT_EQ(Count(list), 4);
        EXPECT_EQ(Selected(list), c.item) << c.keys.size() << " keys before the result";
        EXPECT_EQ(viewer->CurrentHit(), c.hit) << c.keys.size() << " keys before the result";
    }

    // Two thousand hits: marking them all takes about a second under Wine, so
    // those out of view wait until the user brings them there.
    Search("абрикос");
    const std::vector<size_t> hits = viewer->PaneHits();
    ASSERT_EQ(hits.size(), 2000u);
    EXPECT_TRUE(Marked(pane, hits[0], 7));
    EXPECT_TRUE(Marked(pane, hits[5], 7));
    EXPECT_FALSE(Marked(pane, hits.back(), 7));

    // The user scrolls to the end: what comes into view is marked, and the
    // pane stays where he put it.
    ::SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
    const LONG bottom = ScrollY(pane);
    EXPECT_GT(bottom, 0);
    wintest::PumpFor(50);
    EXPECT_TRUE(Marked(pane, hits.back(), 7));
    EXPECT_TRUE(Marked(pane, hits[hits.size() - 6], 7));
    EXPECT_EQ(ScrollY(pane), bottom);
    EXPECT_EQ(viewer->CurrentHit(), 0) << "the current hit stays the first";

    // Shift+F3 from the first hit: round the list to the last one (the log is
    // shown afresh), out of view until then; it is shown, selected and marked.
    viewer->GoToHit(false);
    ASSERT_EQ(viewer->CurrentHit(), 1999);
    EXPECT_EQ(static_cast<size_t>(Selection(pane).cpMin), hits.back());
    EXPECT_GT(ScrollY(pane), 0);
    EXPECT_TRUE(Marked(pane, hits.back(), 7));
    EXPECT_FALSE(Marked(pane, hits[1000], 7)) << "nor in view then";

    // Esc ends the search and brings the whole list back; only the next would close the window.
    ::SetFocus(viewer->SearchBox());
    MSG esc{viewer->SearchBox(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(support::FormBase::PreTranslate(esc));
    EXPECT_FALSE(viewer->SearchShown());
    EXPECT_EQ(Count(list), allItems);
    EXPECT_EQ(WindowText(viewer->SearchBox()), "");
    EXPECT_TRUE(::IsWindow(viewer->Handle()));
}

}  // namespace
