// Ctrl+A in real edits with the select-all hook: keys posted through the message loop (TranslateMessage
// makes the character), and a recorder beneath the hook shows what reaches the edit itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
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

// This thread's key state, as GetKeyState in the window procedures reads it.
void Hold(Modifiers held) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = held.ctrl ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = held.shift ? 0x80 : 0;
    state[VK_MENU] = state[VK_LMENU] = held.alt ? 0x80 : 0;
    ::SetKeyboardState(state);
}

void TypeKey(HWND edit, UINT key, Modifiers held = {}) {
    Hold(held);
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(edit, WM_KEYDOWN, key, 1 | scan);
    ::PostMessageW(edit, WM_KEYUP, key, 1 | scan | (LPARAM{3} << 30));
    wintest::PumpUntil([] { return true; }, 2000);
    Hold({});
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

// An edit holding kText, the caret at its end, its recorder subclassed before any hook.
class EditBox {
public:
    explicit EditBox(DWORD style = 0) {
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 320, 120, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        edit_ = ::CreateWindowExW(0, L"EDIT", outside::W(kText).c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | style, 5, 5, 300, 60, parent_,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowSubclass(edit_, RecordKeys, 77, reinterpret_cast<DWORD_PTR>(&seen));
        ::SetFocus(edit_);
        ::SendMessageW(edit_, EM_SETSEL, kAll.second, kAll.second);
    }
    ~EditBox() { ::DestroyWindow(parent_); }
    EditBox(const EditBox&) = delete;
    EditBox& operator=(const EditBox&) = delete;
    HWND Handle() const { return edit_; }
    std::string Text() const { return wintest::WindowText(edit_); }
    std::pair<int, int> Selection() const { return SelectionOf(edit_); }
    Seen seen;

private:
    HWND parent_ = nullptr, edit_ = nullptr;
};

struct Outcome {
    std::string text;
    std::pair<int, int> selection;
    Seen seenByEdit;
};
Outcome TypeInto(DWORD style, bool hooked, UINT key, Modifiers held) {
    EditBox box(style);
    std::optional<csTBSelectAllHook> hook;
    if (hooked) {
        EXPECT_TRUE(hook.emplace().Init(box.Handle()));
    }
    TypeKey(box.Handle(), key, held);
    return {box.Text(), box.Selection(), box.seen};
}

}  // namespace

TEST(SelectAllHook, CtrlASelectsAllAndInsertsNothingAndOtherChordsBehaveAsTheEditByItself) {
    for (DWORD style : {DWORD{0}, DWORD{ES_MULTILINE | ES_WANTRETURN}, DWORD{ES_READONLY}}) {
        SCOPED_TRACE(style);
        const Outcome o = TypeInto(style, true, 'A', kCtrl);
        EXPECT_EQ(o.text, kText);
        EXPECT_EQ(o.selection, kAll);
        EXPECT_FALSE(SawKeyDown(o.seenByEdit, 'A')) << "the edit saw the key";
        EXPECT_FALSE(SawChar(o.seenByEdit)) << "the edit saw the character";
    }
    const struct {
        const char* name;
        UINT key;
        Modifiers held;
    } others[] = {
        {"A", 'A', {}},
        {"Shift+A", 'A', {false, true, false}},
        {"Ctrl+Shift+A", 'A', {true, true, false}},
        {"Ctrl+Alt+A", 'A', {true, false, true}},
        {"Ctrl+B", 'B', kCtrl},
        {"Home", VK_HOME, {}},
    };
    for (const auto& c : others) {
        SCOPED_TRACE(c.name);
        const Outcome plain = TypeInto(0, false, c.key, c.held);
        const Outcome hooked = TypeInto(0, true, c.key, c.held);
        EXPECT_EQ(hooked.text, plain.text);
        EXPECT_EQ(hooked.selection, plain.selection);
        EXPECT_EQ(hooked.seenByEdit, plain.seenByEdit);
        EXPECT_TRUE(SawKeyDown(hooked.seenByEdit, c.key));
    }
    EXPECT_EQ(TypeInto(0, true, 'A', {}).text, kText + "a");
}

TEST(SelectAllHook, AKeyWithoutItsCharacterLeavesTheNextCharacterAlone) {
    // Ctrl+A sent, not typed, so its character never comes.
    EditBox box;
    csTBSelectAllHook hook;
    ASSERT_TRUE(hook.Init(box.Handle()));
    Hold(kCtrl);
    ::SendMessageW(box.Handle(), WM_KEYDOWN, 'A', 1);
    Hold({});
    EXPECT_EQ(box.Selection(), kAll);
    TypeKey(box.Handle(), 'B');
    EXPECT_EQ(box.Text(), "b");  // replaced the selection
}

TEST(SelectAllHook, InitWithNothingAndDestructionLeaveTheEditAlone) {
    {
        EditBox box;
        csTBSelectAllHook hook;
        EXPECT_FALSE(hook.Init(nullptr));
        EXPECT_EQ(hook.TextBox(), nullptr);
        ASSERT_TRUE(hook.Init(box.Handle()));
        EXPECT_EQ(hook.TextBox(), box.Handle());
        EXPECT_FALSE(hook.Init(nullptr));
        EXPECT_EQ(hook.TextBox(), box.Handle());
        TypeKey(box.Handle(), 'A', kCtrl);
        EXPECT_TRUE(box.seen.empty()) << "a later Init with nothing keeps the attached edit";
    }
    {
        EditBox box;
        std::optional<csTBSelectAllHook> hook;
        ASSERT_TRUE(hook.emplace().Init(box.Handle()));
        hook.reset();
        TypeKey(box.Handle(), 'A', kCtrl);
        EXPECT_TRUE(SawKeyDown(box.seen, 'A') && SawChar(box.seen)) << "destroyed, the hook lets go";
    }
    {  // the edit destroyed first: the hook outlives it and can attach anew
        std::optional<EditBox> box(std::in_place);
        csTBSelectAllHook hook;
        ASSERT_TRUE(hook.Init(box->Handle()));
        box.reset();
        EditBox other;
        ASSERT_TRUE(hook.Init(other.Handle()));
        TypeKey(other.Handle(), 'A', kCtrl);
        EXPECT_EQ(other.Selection(), kAll);
        EXPECT_EQ(other.Text(), kText);
    }
}

namespace {

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

class SelectAllInTheWindows : public wintest::SettingsWindowFixture {
protected:
    SelectAllInTheWindows() : SettingsWindowFixture("Выделить всё.ZPMFChat") {}
    EditsMadeMeanwhile edits;  // made before SetUp opens the chat window
};

}  // namespace

// Wine's edits select all on Ctrl+A by themselves: what reaches the box's own procedure tells.
TEST_F(SelectAllInTheWindows, TheChatWindowsBoxesAndTheNameBoxHaveTheHook) {
    const HWND local = OpenLocal();
    std::vector<HWND> boxes;
    for (const auto& made : edits.seen)
        if (::GetAncestor(made.first, GA_ROOT) == hwnd) boxes.push_back(made.first);
    ASSERT_EQ(boxes.size(), 2u) << "the chat window's name and message boxes";
    boxes.push_back(::GetDlgItem(local, settings::kIdUserName));
    ASSERT_EQ(edits.seen.count(boxes.back()), 1u);
    for (HWND box : boxes) {
        SCOPED_TRACE(::GetDlgCtrlID(box));
        ::SetWindowTextW(box, outside::W(kText).c_str());
        ::SendMessageW(box, EM_SETSEL, kAll.second, kAll.second);
        TypeKey(box, 'A', kCtrl);
        EXPECT_EQ(wintest::WindowText(box), kText);
        EXPECT_EQ(SelectionOf(box), kAll);
        EXPECT_FALSE(SawKeyDown(edits.seen[box], 'A')) << "the box itself saw Ctrl+A: no hook above it";
        EXPECT_FALSE(SawChar(edits.seen[box]));
    }
}
