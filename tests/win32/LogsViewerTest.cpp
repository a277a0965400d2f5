// The logs viewer through its real window, opened from the chat window: the
// list as the settings order and group it, showing a log, the error of a
// damaged one, the minimum size and the saved placement, the wheel, and the
// search: its hits marked as they come into view, F3 during a search.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

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
    frmLogsViewer* OpenViewer() {
        form->ToolbarClick(chatwindow::kLogs);
        frmLogsViewer* viewer = frmLogsViewer::Current();
        EXPECT_NE(viewer, nullptr);
        return viewer;
    }
    static std::string Item(HWND list, int index) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return outside::U8(text);
    }
    static std::string Text(HWND window) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(window, buffer, 512);
        return outside::U8(buffer);
    }
    static std::string PaneText(HWND pane) { return modRTFSupport::PlainText(pane); }
    static int Selected(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }
    static POINT ScrollPos(HWND pane) {
        POINT at{};
        ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
        return at;
    }
    // Whether every character of [at, at + length) has the hit's highlight; the
    // pane's selection and view are left as they were.
    static bool Marked(HWND pane, size_t at, size_t length) {
        POINT scroll = ScrollPos(pane);
        CHARRANGE selection{};
        ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
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
    // What the screen shows of a window's client area.
    static wintest::Pixels OnScreen(HWND window) {
        RECT rc{};
        ::GetClientRect(window, &rc);
        HDC screen = ::GetDC(window);
        const wintest::Pixels shown = wintest::Painted(rc.right, rc.bottom, RGB(255, 0, 255), [&](HDC dc) {
            ::BitBlt(dc, 0, 0, rc.right, rc.bottom, screen, 0, 0, SRCCOPY);
        });
        ::ReleaseDC(window, screen);
        return shown;
    }
    static void WaitForSearch(frmLogsViewer* viewer) {
        ASSERT_TRUE(wintest::PumpUntil([&] { return !viewer->SearchRunning() && viewer->SearchShown(); }));
    }
    static int Count(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); }
    // A real click on an item, as the mouse gives it.
    static void ClickItem(HWND list, int index) {
        RECT r{};
        ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    }
    void MakeMonths() {
        WriteLog(logs.path(), LocalTime(2024, 4, 30, 9, 0, 0), {"Апрельский лог"});
        WriteLog(logs.path(), LocalTime(2024, 5, 1, 10, 0, 0), {"Первое мая"});
        WriteLog(logs.path(), LocalTime(2024, 5, 2, 8, 0, 0), {"Новейший лог: второе мая"});
    }

    // The months, and two logs with "детей": three hits in May, one in April.
    void MakeSearchLogs() {
        MakeMonths();
        WriteLog(logs.path(), LocalTime(2024, 5, 3, 9, 0, 0),
                 {"Кто забирает ДЕТЕЙ?", "Лёва: я заберу детей", "Детей!"});
        WriteLog(logs.path(), LocalTime(2024, 4, 2, 9, 0, 0), {"Аня: дети дома, детей кормить"});
    }

    testsupport::TempDir logs;
};

TEST_F(LogsViewerTest, NoLogsGiveAnEmptyListAndPane) {
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(Text(viewer->Handle()), "Quillet :: Просмотр логов");
    EXPECT_EQ(Count(viewer->FilesList()), 0);
    EXPECT_EQ(Selected(viewer->FilesList()), -1);
    EXPECT_EQ(PaneText(viewer->LogPane()), "");
    EXPECT_EQ(Text(viewer->TagLabel()), "Всего логов: 0 (" + outside::asFormatByteSizeEx(0) + ")");
}

TEST_F(LogsViewerTest, TwoMonthsGroupedNewestFirstAndTheNewestShown) {
    MakeMonths();
    WriteLog(logs.path(), LocalTime(2024, 5, 1, 10, 0, 0, 500), {"Тот же миг"});  // the milliseconds name
    testsupport::WriteRaw(logs / "Shown.ledger", "not a log");
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND list = viewer->FilesList();
    ASSERT_EQ(Count(list), 6);
    const std::string may = outside::FormatMonthYear(2024, 5), april = outside::FormatMonthYear(2024, 4);
    EXPECT_NE(may.find("2024"), std::string::npos);
    EXPECT_NE(may, april);
    const std::vector<std::pair<std::string, LRESULT>> expected = {
        {may, 69}, {"    2024-05-02 08-00-00.RTF", 0}, {"    2024-05-01 10-00-00.RTF", 0},
        {"    2024-05-01 10-00-00 500.RTF", 0}, {april, 69}, {"    2024-04-30 09-00-00.RTF", 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Item(list, i), expected[static_cast<size_t>(i)].first) << i;
        EXPECT_EQ(::SendMessageW(list, LB_GETITEMDATA, i, 0), expected[static_cast<size_t>(i)].second) << i;
    }
    EXPECT_EQ(Selected(list), 1);
    EXPECT_NE(PaneText(viewer->LogPane()).find("Новейший лог"), std::string::npos);
    const std::string label = Text(viewer->TagLabel());
    EXPECT_EQ(label.rfind("Всего логов: 4 (", 0), 0u) << label;

    // A click on a heading empties the pane; a click on a log shows it.
    ClickItem(list, 4);
    EXPECT_EQ(Selected(list), 4);
    EXPECT_EQ(PaneText(viewer->LogPane()), "");
    ClickItem(list, 5);
    EXPECT_NE(PaneText(viewer->LogPane()).find("Апрельский"), std::string::npos);
}

TEST_F(LogsViewerTest, ADamagedLogShowsTheErrorInRedAndBold) {
    MakeMonths();
    testsupport::WriteRaw(logs / "2024-06-01 10-00-00.RTF", "this is no RTF at all");
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(Item(viewer->FilesList(), Selected(viewer->FilesList())), "    2024-06-01 10-00-00.RTF");
    const std::string pane = PaneText(viewer->LogPane());
    EXPECT_NE(pane.find("2024-06-01 10-00-00.RTF"), std::string::npos) << pane;
    EXPECT_EQ(pane.find("this is no RTF"), std::string::npos) << pane;
    const wintest::CharFormat format = wintest::FormatAt(viewer->LogPane(), 0);
    EXPECT_EQ(format.colour, RGB(255, 0, 0));
    EXPECT_TRUE(format.bold);
}

TEST_F(LogsViewerTest, ShrinkingSnapsBackToTheMinimum) {
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    ::SetWindowPos(viewer->Handle(), nullptr, 0, 0, 100, 60, SWP_NOMOVE | SWP_NOZORDER);
    wintest::PumpFor(100);
    RECT client{};
    ::GetClientRect(viewer->Handle(), &client);
    EXPECT_GE(client.right, 7200 / 15);
    EXPECT_GE(client.bottom, 1950 / 15);
    EXPECT_LE(client.right, 7200 / 15 + 1);
    // The buttons keep to the right and bottom edges.
    RECT close{};
    ::GetWindowRect(viewer->CloseButton(), &close);
    ::MapWindowPoints(nullptr, viewer->Handle(), reinterpret_cast<POINT*>(&close), 2);
    EXPECT_NEAR(close.right, client.right - 4, 2);
    EXPECT_NEAR(close.bottom, client.bottom - 4, 2);
}

TEST_F(LogsViewerTest, TheWheelOverThePaneScrollsItWhileAnotherControlHasTheFocus) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back("Строка " + std::to_string(i));
    WriteLog(logs.path(), LocalTime(2024, 5, 2, 8, 0, 0), lines);
    for (int d = 1; d <= 30; ++d) WriteLog(logs.path(), LocalTime(2024, 3, d, 8, 0, 0), {"x"});
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND list = viewer->FilesList(), pane = viewer->LogPane();
    ::SetForegroundWindow(viewer->Handle());
    RECT r{};
    ::GetWindowRect(pane, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    for (HWND focus : {list, viewer->SearchBox(), viewer->CloseButton()}) {
        ::SetFocus(focus);
        POINT top{0, 0};
        ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&top));
        const POINT before = ScrollPos(pane);
        const LRESULT topBefore = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        const int selectedBefore = Selected(list);
        // Windows gives the wheel to the window with the focus.
        ::SendMessageW(focus, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3)),
                       MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        wintest::PumpFor(50);
        EXPECT_GT(ScrollPos(pane).y, before.y) << "the pane scrolled, focus on " << Text(focus);
        EXPECT_EQ(::SendMessageW(list, LB_GETTOPINDEX, 0, 0), topBefore) << "the list did not";
        EXPECT_EQ(Selected(list), selectedBefore);
    }
}

TEST_F(LogsViewerTest, SearchFindsTheLogsAndHighlightsTheHits) {
    MakeSearchLogs();
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND list = viewer->FilesList();
    const int allItems = Count(list);
    viewer->Search("детей");
    WaitForSearch(viewer);
    wintest::PumpFor(50);
    ASSERT_EQ(Count(list), 4);
    EXPECT_EQ(Item(list, 1), "    2024-05-03 09-00-00 (3)");
    EXPECT_EQ(Item(list, 3), "    2024-04-02 09-00-00 (1)");
    EXPECT_EQ(Text(viewer->TagLabel()), "Найдено логов: 2 из 5");
    // The label, longer now than while searching, shows all of it.
    ::UpdateWindow(viewer->Handle());
    EXPECT_EQ(OnScreen(viewer->TagLabel()), wintest::PrintedClient(viewer->TagLabel()));
    EXPECT_EQ(Text(viewer->SearchBox()), "детей");
    EXPECT_EQ(Selected(list), 1);

    // Every hit of the log shown has the highlight; the first is selected.
    HWND pane = viewer->LogPane();
    const std::string shown = PaneText(pane);
    // Where RichEdit's own finder sees the word in each case the logs spell it
    // (Wine's finder folds no Cyrillic): not the positions the viewer computed.
    std::vector<size_t> found;
    for (const wchar_t* spelling : {L"детей", L"Детей", L"ДЕТЕЙ"}) {
        FINDTEXTEXW find{{0, -1}, spelling, {}};
        while (::SendMessageW(pane, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)) >= 0) {
            found.push_back(static_cast<size_t>(find.chrgText.cpMin));
            find.chrg.cpMin = find.chrgText.cpMax;
        }
    }
    std::sort(found.begin(), found.end());
    ASSERT_EQ(found.size(), 3u) << shown;
    EXPECT_EQ(viewer->PaneHits(), found);
    EXPECT_EQ(viewer->CurrentHit(), 0);
    CHARRANGE selection{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(static_cast<size_t>(selection.cpMin), found[0]);
    EXPECT_EQ(selection.cpMax - selection.cpMin, 5);
    for (size_t at : found) EXPECT_TRUE(Marked(pane, at, 5)) << at;
    // Text outside the hits keeps its own background.
    ::SendMessageW(pane, EM_SETSEL, 0, 1);
    CHARFORMAT2W plain{};
    plain.cbSize = sizeof plain;
    ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
    EXPECT_TRUE((plain.dwEffects & CFE_AUTOBACKCOLOR) || plain.crBackColor != RGB(255, 230, 80));

    // F3 goes through the hits, then on to the next log; Shift+F3 comes back.
    viewer->GoToHit(true);
    viewer->GoToHit(true);
    EXPECT_EQ(viewer->CurrentHit(), 2);
    viewer->GoToHit(true);
    EXPECT_EQ(Selected(list), 3);
    EXPECT_EQ(viewer->CurrentHit(), 0);
    viewer->GoToHit(false);
    EXPECT_EQ(Selected(list), 1);
    EXPECT_EQ(viewer->CurrentHit(), 2);

    // Esc ends the search and brings the whole list back.
    ::SendMessageW(viewer->SearchBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"детей"));
    ::SetFocus(viewer->SearchBox());
    MSG esc{viewer->SearchBox(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(support::FormBase::PreTranslate(esc));
    EXPECT_FALSE(viewer->SearchShown());
    EXPECT_EQ(Count(list), allItems);
    EXPECT_EQ(Text(viewer->SearchBox()), "");
    EXPECT_TRUE(::IsWindow(viewer->Handle())) << "the first Esc only ends the search";
}

TEST_F(LogsViewerTest, F3DuringASearchWaitsForItsResult) {
    MakeSearchLogs();
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND list = viewer->FilesList(), pane = viewer->LogPane();
    const struct {
        std::vector<bool> keys;  // true F3, false Shift+F3
        int item, hit;
    } cases[] = {
        {{true}, 1, 0},              // the first hit, where the result lands anyway
        {{true, true, true}, 1, 2},  // two more
        {{false}, 3, 0},             // the last hit, of the last log
        {{true, true, false}, 1, 0},
    };
    for (const auto& c : cases) {
        viewer->Search("");
        const int selected = Selected(list);
        const std::string shown = PaneText(pane);
        viewer->Search("детей");
        ASSERT_TRUE(viewer->SearchRunning());
        for (bool forward : c.keys) viewer->GoToHit(forward);
        // The list still holds every log: nothing of it is walked.
        EXPECT_EQ(Selected(list), selected);
        EXPECT_EQ(PaneText(pane), shown);
        WaitForSearch(viewer);
        EXPECT_EQ(Count(list), 4);
        EXPECT_EQ(Selected(list), c.item) << c.keys.size() << " keys";
        EXPECT_EQ(viewer->CurrentHit(), c.hit) << c.keys.size() << " keys";
    }
}

TEST_F(LogsViewerTest, HitsAreMarkedAsTheyComeIntoView) {
    // Two thousand hits: marking them all takes about a second under Wine, so
    // those out of view wait until the user brings them there.
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back("Абрикос за абрикосом, " + std::to_string(i));
    WriteLog(logs.path(), LocalTime(2024, 5, 1, 10, 0, 0), lines);
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND pane = viewer->LogPane();
    viewer->Search("абрикос");
    WaitForSearch(viewer);
    const std::vector<size_t> hits = viewer->PaneHits();
    ASSERT_EQ(hits.size(), 2000u);
    EXPECT_TRUE(Marked(pane, hits[0], 7));
    EXPECT_TRUE(Marked(pane, hits[5], 7));
    EXPECT_FALSE(Marked(pane, hits.back(), 7));

    // The user scrolls to the end: what comes into view is marked, and the
    // pane stays where he put it.
    ::SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
    const POINT bottom = ScrollPos(pane);
    EXPECT_GT(bottom.y, 0);
    wintest::PumpFor(50);
    EXPECT_TRUE(Marked(pane, hits.back(), 7));
    EXPECT_TRUE(Marked(pane, hits[hits.size() - 6], 7));
    EXPECT_EQ(ScrollPos(pane).y, bottom.y);
    EXPECT_EQ(viewer->CurrentHit(), 0) << "the current hit stays the first";

    // Shift+F3 from the first hit: round the list to the last one (the log is
    // shown afresh), out of view until then; it is shown, selected and marked.
    viewer->GoToHit(false);
    ASSERT_EQ(viewer->CurrentHit(), 1999);
    CHARRANGE selection{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(static_cast<size_t>(selection.cpMin), hits.back());
    EXPECT_GT(ScrollPos(pane).y, 0);
    EXPECT_TRUE(Marked(pane, hits.back(), 7));
    EXPECT_FALSE(Marked(pane, hits[1000], 7)) << "nor in view then";
}

TEST_F(LogsViewerTest, AMaximisedViewerComesBackMaximised) {
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    ::ShowWindow(viewer->Handle(), SW_MAXIMIZE);
    wintest::PumpFor(50);
    ASSERT_TRUE(::IsZoomed(viewer->Handle()));
    frmLogsViewer::UnloadViewer();

    viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(::IsZoomed(viewer->Handle()));
    EXPECT_TRUE(::IsWindowVisible(viewer->Handle()));
    ::ShowWindow(viewer->Handle(), SW_RESTORE);
    wintest::PumpFor(50);
    frmLogsViewer::UnloadViewer();
    viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(::IsZoomed(viewer->Handle())) << "and a normal one comes back normal";
}

TEST_F(LogsViewerTest, OneInstanceThatGoesWithTheChatWindow) {
    frmLogsViewer* viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND first = viewer->Handle();
    EXPECT_EQ(::GetWindow(first, GW_OWNER), outside::esGetThunderMainHandle()) << "not owned by the chat window";
    EXPECT_EQ(OpenViewer()->Handle(), first);
    form->Unload();
    wintest::PumpUntil([&] { return !::IsWindow(hwnd); });
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(frmLogsViewer::Current(), nullptr);
}

}  // namespace
