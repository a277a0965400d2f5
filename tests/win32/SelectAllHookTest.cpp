// Ctrl+A in real edits with the select-all hook; a recorder beneath the hook shows what reaches the edit.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/support/win32/csTBSelectAllHook.h"
#include "outside/win32/Wide.h"

using support::csTBSelectAllHook;

namespace {

const std::string kText = "Привет, мир";
const std::pair kAll{0, 11};  // UTF-16 units

struct Modifiers {
    bool ctrl = false, shift = false, alt = false;
};
constexpr Modifiers kCtrl{true, false, false};

void TypeKey(HWND edit, UINT key, Modifiers held = {}) {
    const wintest::HeldKeys keys(held.shift, held.ctrl, held.alt);
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(edit, WM_KEYDOWN, key, 1 | scan);
    ::PostMessageW(edit, WM_KEYUP, key, 1 | scan | (LPARAM{3} << 30));
    wintest::PumpUntil([] { return true; }, 2000);
}

using Seen = std::vector<std::pair<UINT, WPARAM>>;
bool SawKeyDown(const Seen& seen, WPARAM key) {
    return std::count(seen.begin(), seen.end(), std::pair<UINT, WPARAM>(WM_KEYDOWN, key)) > 0;
}
bool SawChar(const Seen& seen) {
    return std::any_of(seen.begin(), seen.end(), [](const auto& m) { return m.first == WM_CHAR; });
}

LRESULT CALLBACK RecordKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR seen) {
    if (msg == WM_KEYDOWN || msg == WM_CHAR) reinterpret_cast<Seen*>(seen)->emplace_back(msg, wParam);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

std::pair<int, int> SelectionOf(HWND edit) {
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

// kText, the caret at its end, and nothing recorded yet.
void Refill(HWND edit, Seen& seen) {
    ::SetWindowTextW(edit, outside::W(kText).c_str());
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, kAll.second, kAll.second);
    seen.clear();
}

// Every edit made while it lives gets the recorder first, so the hooks its window attaches sit above.
class EditsMadeMeanwhile {
public:
    EditsMadeMeanwhile() : hook_(::SetWindowsHookExW(WH_CBT, Made, nullptr, ::GetCurrentThreadId())) { current_ = this; }
    ~EditsMadeMeanwhile() {
        ::UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    EditsMadeMeanwhile(const EditsMadeMeanwhile&) = delete;
    EditsMadeMeanwhile& operator=(const EditsMadeMeanwhile&) = delete;
    std::map<HWND, Seen> seen;

private:
    static LRESULT CALLBACK Made(int code, WPARAM wParam, LPARAM lParam) {
        const HWND w = reinterpret_cast<HWND>(wParam);
        wchar_t cls[8] = {};
        if (code == HCBT_CREATEWND && current_ && ::GetClassNameW(w, cls, 8) && ::lstrcmpiW(cls, L"Edit") == 0)
            ::SetWindowSubclass(w, RecordKeys, 77, reinterpret_cast<DWORD_PTR>(&current_->seen[w]));
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline EditsMadeMeanwhile* current_ = nullptr;
    HHOOK hook_;
};

class SelectAllHook : public wintest::SettingsWindowFixture {
protected:
    SelectAllHook() : SettingsWindowFixture("Выделить всё.ZPMFChat") {}
    void TearDown() override {
        if (parent_) ::DestroyWindow(parent_);
        SettingsWindowFixture::TearDown();
    }
    // An edit of no form's (whose keys no window previews), in a window of its own.
    HWND NewEdit() {
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 320, 120, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        const HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 300, 30,
                                            parent_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        Refill(edit, edits.seen[edit]);
        return edit;
    }
    EditsMadeMeanwhile edits;  // made before SetUp opens the chat window
    HWND parent_ = nullptr;
};

}  // namespace

// Wine's edits select all on Ctrl+A by themselves: what reaches the box's own procedure tells.
TEST_F(SelectAllHook, CtrlASelectsAllInTheWindowsBoxesAndInsertsNothing) {
    const HWND local = OpenLocal();
    std::vector<HWND> boxes;
    for (const auto& made : edits.seen)
        if (::GetAncestor(made.first, GA_ROOT) == hwnd) boxes.push_back(made.first);
    ASSERT_EQ(boxes.size(), 2u) << "the chat window's name and message boxes";
    boxes.push_back(::GetDlgItem(local, settings::kIdUserName));
    ASSERT_EQ(edits.seen.count(boxes.back()), 1u);
    for (HWND box : boxes) {
        SCOPED_TRACE(::GetDlgCtrlID(box));
        Refill(box, edits.seen[box]);
        TypeKey(box, 'A', kCtrl);
        EXPECT_EQ(wintest::WindowText(box), kText);
        EXPECT_EQ(SelectionOf(box), kAll);
        EXPECT_FALSE(SawKeyDown(edits.seen[box], 'A')) << "the box itself saw Ctrl+A: no hook above it";
        EXPECT_FALSE(SawChar(edits.seen[box]));
    }
}

// One hook on an edit of its own: what it lets through, a Ctrl+A whose character never comes, letting go.
TEST_F(SelectAllHook, OnlyCtrlAIsTakenAndTheHookLetsGoOfItsEdit) {
    const HWND edit = NewEdit();
    Seen& seen = edits.seen[edit];
    std::optional<csTBSelectAllHook> hook(std::in_place);
    EXPECT_FALSE(hook->Init(nullptr));
    EXPECT_EQ(hook->TextBox(), nullptr);
    ASSERT_TRUE(hook->Init(edit));
    EXPECT_FALSE(hook->Init(nullptr));
    EXPECT_EQ(hook->TextBox(), edit) << "a later Init with nothing keeps the attached edit";
    const std::tuple<const char*, UINT, Modifiers> others[] = {
        {"Shift+A", 'A', {false, true, false}}, {"Ctrl+Shift+A", 'A', {true, true, false}},
        {"Ctrl+Alt+A", 'A', {true, false, true}}, {"Ctrl+B", 'B', kCtrl}, {"Home", VK_HOME, {}},
    };
    for (const auto& [name, key, held] : others) {
        Refill(edit, seen);
        TypeKey(edit, key, held);
        EXPECT_TRUE(SawKeyDown(seen, key)) << name;
    }
    Refill(edit, seen);
    TypeKey(edit, 'A');
    EXPECT_EQ(wintest::WindowText(edit), kText + "a");

    Refill(edit, seen);
    {
        const wintest::HeldKeys ctrl(false, true);
        ::SendMessageW(edit, WM_KEYDOWN, 'A', 1);  // sent, not typed: its character never comes
    }
    EXPECT_EQ(SelectionOf(edit), kAll);
    TypeKey(edit, 'B');
    EXPECT_EQ(wintest::WindowText(edit), "b") << "the next character typed is not swallowed";

    hook.reset();
    Refill(edit, seen);
    TypeKey(edit, 'A', kCtrl);
    EXPECT_TRUE(SawKeyDown(seen, 'A') && SawChar(seen)) << "destroyed, the hook lets go";

    // The edit destroyed first: the hook outlives it and can attach anew.
    csTBSelectAllHook survivor;
    ASSERT_TRUE(survivor.Init(edit));
    ::DestroyWindow(parent_);
    parent_ = nullptr;
    const HWND other = NewEdit();
    ASSERT_TRUE(survivor.Init(other));
    TypeKey(other, 'A', kCtrl);
    EXPECT_EQ(SelectionOf(other), kAll);
    EXPECT_EQ(wintest::WindowText(other), kText);
}
