// The program settings window through its real controls, the real colour
// dialog and the registry of the test prefix.
#include <windows.h>
#include <colordlg.h>

#include <gtest/gtest.h>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/SettingsStore.h"
#include "outside/win32/Wide.h"

using namespace settings;
using wintest::DialogScript;

namespace {

// In the colour dialog: mix a colour in its red, green and blue boxes,
// optionally add it to the custom colours, then OK (or Cancel).
DialogScript::Action MixColor(int red, int green, int blue, bool addCustom, bool confirm = true) {
    return [=](HWND dialog) {
        ::SetDlgItemInt(dialog, COLOR_RED, static_cast<UINT>(red), FALSE);
        ::SetDlgItemInt(dialog, COLOR_GREEN, static_cast<UINT>(green), FALSE);
        ::SetDlgItemInt(dialog, COLOR_BLUE, static_cast<UINT>(blue), FALSE);
        if (addCustom) ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED), 0);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(confirm ? IDOK : IDCANCEL, BN_CLICKED), 0);
    };
}

class GlobalSettingsWindowTest : public wintest::SettingsWindowFixture {
protected:
    GlobalSettingsWindowTest() : SettingsWindowFixture("Программа.ZPMFChat") {}
    void TearDown() override {
        if (auto* w = frmGlobalSettings::Loaded()) w->Unload();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Greyfen Works\\Quillet\\Colors", L"Custom Colors");
        modSettings::ResetToDefaults();
        modSettings::SaveGlobalSettings();
        SettingsWindowFixture::TearDown();
    }
    // Clicks colour button i while the script answers the colour dialog.
    void PickColor(HWND window, size_t i, DialogScript::Action answer) {
        DialogScript script({std::move(answer)});
        Click(window, kIdFirstColor + static_cast<int>(i));
        EXPECT_EQ(script.Taken(), 1u) << "the colour dialog showed";
    }
};

}  // namespace

TEST_F(GlobalSettingsWindowTest, F9OpensOneWindowWithEveryCaptionInTabOrder) {
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wintest::WindowCaption(w), "Настройки программы");
    EXPECT_EQ(::GetWindow(w, GW_OWNER), hwnd) << "owned by the chat window";
    EXPECT_TRUE(::IsWindowVisible(w));
    const char* expected[] = {
        "Отправлять по Enter вместо Ctrl+Enter",
        "Пометка времени в стиле iChat",
        "Имя и время сообщений на отдельной строке",
        "Новый стиль метки времени",
        "Очищать сообщения при скрытии окна чата",
        "Очищать сообщения после 300 входящих",
        "Сортировать список логов",
        "Обратный порядок сортировки логов",
        "Группировать список логов по месяцам",
        "Отображать отладочные сообщения (не рекомендуется)",
        "Отображать имена файов сообщений (не рекомендуется)",
        "Отправлять XML сообщения (может быть чуть медленнее)",
        "Показывать уведомления о новых сообщениях",
    };
    // Tab from the first check box through the window.
    HWND control = ::GetDlgItem(w, kIdFirstSwitch);
    for (const char* caption : expected) {
        EXPECT_EQ(wintest::WindowCaption(control), caption);
        control = ::GetNextDlgTabItem(w, control, FALSE);
    }
    for (size_t i = 0; i < kColorCount; ++i) {
        EXPECT_EQ(::GetDlgCtrlID(control), kIdFirstColor + static_cast<int>(i)) << "colour button " << i;
        control = ::GetNextDlgTabItem(w, control, FALSE);
    }
    for (const char* caption : {"Ok", "Отмена", "Применить"}) {
        EXPECT_EQ(wintest::WindowCaption(control), caption);
        control = ::GetNextDlgTabItem(w, control, FALSE);
    }
    EXPECT_EQ(::GetDlgCtrlID(control), kIdFirstSwitch) << "and round again";
    // The notifications switch stands under the twelve; the window grew to keep the rest below it.
    const auto at = [w](int id) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(w, id), &r);
        ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT client{};
    ::GetClientRect(w, &client);
    EXPECT_GT(at(kIdFirstSwitch + 12).top, at(kIdFirstSwitch + 11).bottom);
    EXPECT_LT(at(kIdFirstSwitch + 12).bottom, at(kIdTitleColumnLabel).top);
    EXPECT_LT(at(kIdGlobalOk).bottom, client.bottom);
    const char* labels[] = {"Мои сообщения", "Сообщения собеседников", "Системные сообщения", "Отладочные сообщения",
                            "Заголовок", "Текст"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Text(w, kIdFirstRowLabel + i), labels[i]);

    EXPECT_EQ(OpenGlobal(), w) << "a second F9 shows the same window";
    Click(w, kIdGlobalCancel);
    EXPECT_FALSE(::IsWindow(w));
}

TEST_F(GlobalSettingsWindowTest, CancelWithoutTheColourDialogWritesNothing) {
    // The store holds other values than the variables, so a save would show.
    {
        outside::SettingsStore store;
        store.WriteBoolean("", "Send on Enter", !modSettings::SendOnEnter);
        store.WriteLong("Colors 2", "Debug Message Body Color", 0x00010203);
        store.WriteBoolean("Debug", "Send XML Messages", !modSettings::SendXMLMessages);
    }
    const auto before = wintest::RegistrySnapshot();
    const GlobalSettingsValues values = GlobalValuesFromSettings();
    wintest::RegistryWatch watch;
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    for (size_t i = 0; i < kSwitchCount; ++i) Click(w, kIdFirstSwitch + static_cast<int>(i));
    Click(w, kIdGlobalCancel);
    EXPECT_FALSE(::IsWindow(w));
    EXPECT_FALSE(watch.Changed()) << "nothing was written";
    EXPECT_EQ(wintest::RegistrySnapshot(), before);
    EXPECT_EQ(GlobalValuesFromSettings(), values);
}

TEST_F(GlobalSettingsWindowTest, PickedColourThenCancelKeepsOnlyTheCustomColours) {
    const int32_t title = modSettings::MyMessageTitleColor;
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    PickColor(w, 0, MixColor(10, 20, 30, true));
    EXPECT_EQ(frmGlobalSettings::Loaded()->ButtonColor(0), static_cast<int32_t>(RGB(10, 20, 30))) << "the button shows the pick";
    const std::string custom = wintest::RegText("Colors", "Custom Colors");
    EXPECT_EQ(custom.substr(0, 8), "#0A141E,") << "stored at once: " << custom;
    Click(w, kIdGlobalCancel);
    EXPECT_EQ(modSettings::MyMessageTitleColor, title);
    EXPECT_EQ(wintest::RegDword("Colors 2", "My Message Title Color"), title);
    EXPECT_EQ(wintest::RegText("Colors", "Custom Colors"), custom) << "kept after Cancel";

    // The stored custom colours go into the dialog again and come back whole.
    const HWND again = OpenGlobal();
    EXPECT_EQ(frmGlobalSettings::Loaded()->ButtonColor(0), title) << "loaded fresh from the settings";
    PickColor(again, 1, MixColor(1, 2, 3, false));
    EXPECT_EQ(wintest::RegText("Colors", "Custom Colors"), custom);
    // A cancelled dialog changes neither the button nor the store.
    wintest::RegistryWatch watch;
    PickColor(again, 1, MixColor(200, 200, 200, true, false));
    EXPECT_EQ(frmGlobalSettings::Loaded()->ButtonColor(1), static_cast<int32_t>(RGB(1, 2, 3)));
    EXPECT_FALSE(watch.Changed());
}

TEST_F(GlobalSettingsWindowTest, ApplyThenCancelKeepsWhatApplySaved) {
    ASSERT_FALSE(modSettings::SendOnEnter);
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    Click(w, kIdFirstSwitch);  // Send on Enter
    Click(w, kIdGlobalApply);
    EXPECT_TRUE(::IsWindow(w)) << "Apply keeps the window";
    EXPECT_TRUE(modSettings::SendOnEnter);
    EXPECT_EQ(wintest::RegDword("", "Send on Enter"), 1);
    Click(w, kIdFirstSwitch);
    Click(w, kIdGlobalCancel);
    EXPECT_TRUE(modSettings::SendOnEnter);
    EXPECT_EQ(wintest::RegDword("", "Send on Enter"), 1);
}

TEST_F(GlobalSettingsWindowTest, EverySwitchAndColourRoundTripsThroughTheRegistry) {
    struct Stored {
        const char* section;
        const char* key;
    };
    const Stored switches[kSwitchCount] = {
        {"", "Send on Enter"},           {"", "iChat Style Plugin"},          {"", "Name on Separate Line"},
        {"", "New Style Timestamp"},     {"", "Clear Scrollback on Hide"},    {"", "Clear Scrollback on Overflow"},
        {"Logs List", "Sort"},           {"Logs List", "Descending Sort"},    {"Logs List", "Group"},
        {"Debug", "Show Debug Messages"}, {"Debug", "Show Message File Names"}, {"Debug", "Send XML Messages"},
        {"", "Show Notifications"},
    };
    const Stored colors[kColorCount] = {
        {"Colors 2", "My Message Title Color"},     {"Colors 2", "My Message Body Color"},
        {"Colors 2", "Other Message Title Color"},  {"Colors 2", "Other Message Body Color"},
        {"Colors 2", "System Message Title Color"}, {"Colors 2", "System Message Body Color"},
        {"Colors 2", "Debug Message Title Color"},  {"Colors 2", "Debug Message Body Color"},
    };
    const GlobalSettingsValues before = GlobalValuesFromSettings();
    HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    for (size_t i = 0; i < kSwitchCount; ++i) Click(w, kIdFirstSwitch + static_cast<int>(i));
    for (size_t i = 0; i < kColorCount; ++i) PickColor(w, i, MixColor(16 * static_cast<int>(i) + 1, 7, 200, false));
    Click(w, kIdGlobalOk);
    EXPECT_FALSE(::IsWindow(w)) << "OK closes";
    for (size_t i = 0; i < kSwitchCount; ++i)
        EXPECT_EQ(wintest::RegDword(switches[i].section, switches[i].key), before.switches[i] ? 0 : 1) << switches[i].key;
    for (size_t i = 0; i < kColorCount; ++i)
        EXPECT_EQ(wintest::RegDword(colors[i].section, colors[i].key), static_cast<long long>(RGB(16 * i + 1, 7, 200))) << colors[i].key;

    // Back from the registry into the variables, and from them into a fresh window.
    modSettings::ResetToDefaults();
    modSettings::ReadGlobalSettings();
    w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    for (size_t i = 0; i < kSwitchCount; ++i)
        EXPECT_EQ(Checked(w, kIdFirstSwitch + static_cast<int>(i)), !before.switches[i]) << switches[i].key;
    for (size_t i = 0; i < kColorCount; ++i)
        EXPECT_EQ(frmGlobalSettings::Loaded()->ButtonColor(i), static_cast<int32_t>(RGB(16 * i + 1, 7, 200)));
}

TEST_F(GlobalSettingsWindowTest, ChangesTakeEffectAtTheirNextUse) {
    modSettings::SendOnEnter = true;
    modSettings::iChatStylePlugin = false;
    HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    Click(w, kIdFirstSwitch);  // Send on Enter off
    PickColor(w, 0, MixColor(0x12, 0x34, 0x56, false));  // my title colour
    Click(w, kIdGlobalOk);
    ASSERT_FALSE(modSettings::SendOnEnter);

    // Enter alone now makes a line break in the message box.
    ::SetWindowTextW(form->MessageInput(), L"строка");
    ::SendMessageW(form->MessageInput(), EM_SETSEL, 6, 6);
    ::SendMessageW(form->MessageInput(), WM_KEYDOWN, VK_RETURN, 1);
    ::SendMessageW(form->MessageInput(), WM_CHAR, L'\r', 1);
    wchar_t box[64] = {};
    ::GetWindowTextW(form->MessageInput(), box, 64);
    EXPECT_EQ(std::wstring(box), outside::W("строка\r\n"));

    // The next own message has its title in the new colour.
    ::SetWindowTextW(form->MessageInput(), L"colour check");
    BYTE saved[256], state[256];
    ::GetKeyboardState(saved);
    ::GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    ::SetKeyboardState(state);
    ::SendMessageW(form->MessageInput(), WM_KEYDOWN, VK_RETURN, 1);
    ::SetKeyboardState(saved);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("colour check"); }));
    const std::string rtf = modRTFSupport::StreamOutRtf(form->LogPane());
    EXPECT_NE(rtf.find("\\red18\\green52\\blue86"), std::string::npos) << rtf.substr(0, 400);
}

TEST_F(GlobalSettingsWindowTest, EnterIsOkAndEscIsCancelThroughTheMessageLoop) {
    struct Case {
        int key;
        bool saved;
    } cases[] = {{VK_ESCAPE, false}, {VK_RETURN, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const bool before = modSettings::SendOnEnter;
        const HWND w = OpenGlobal();
        ASSERT_NE(w, nullptr);
        Click(w, kIdFirstSwitch);
        // The key reaches the window as the user's would: posted, then through the program's loop.
        ::PostMessageW(::GetDlgItem(w, kIdFirstSwitch), WM_KEYDOWN, static_cast<WPARAM>(c.key), 1);
        ASSERT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(w); }, 5000)) << "the key closed the window";
        EXPECT_EQ(modSettings::SendOnEnter, c.saved ? !before : before);
        EXPECT_EQ(wintest::RegDword("", "Send on Enter"), modSettings::SendOnEnter ? 1 : 0);
        EXPECT_TRUE(::IsWindow(hwnd)) << "the chat window stays";
    }
}
