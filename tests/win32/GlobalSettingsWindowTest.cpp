// The program settings window through its real controls, the real colour dialog and the registry.
#include <windows.h>
#include <colordlg.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "outside/SettingsStore.h"

using namespace settings;
using wintest::Checked;
using wintest::Click;
using wintest::DialogScript;
using wintest::RegDword;
using wintest::RegText;

namespace {

// Mixes a colour in the colour dialog, optionally adds it to the custom colours, then OK (or Cancel).
DialogScript::Step MixColor(int red, int green, int blue, bool addCustom, bool confirm = true) {
    return [=](HWND dialog) {
        ::SetDlgItemInt(dialog, COLOR_RED, static_cast<UINT>(red), FALSE);
        ::SetDlgItemInt(dialog, COLOR_GREEN, static_cast<UINT>(green), FALSE);
        ::SetDlgItemInt(dialog, COLOR_BLUE, static_cast<UINT>(blue), FALSE);
        if (addCustom) ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED), 0);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(confirm ? IDOK : IDCANCEL, BN_CLICKED), 0);
    };
}

int32_t ButtonColor(size_t i) { return frmGlobalSettings::Loaded()->ButtonColor(i); }

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
    void PickColor(HWND window, size_t i, DialogScript::Step answer) {
        DialogScript script({std::move(answer)});
        Click(window, kIdFirstColor + static_cast<int>(i));
        EXPECT_EQ(script.BoxesSeen(), 1) << "the colour dialog showed";
    }
};

}  // namespace

TEST_F(GlobalSettingsWindowTest, F9OpensOneWindowWithEveryCaptionInTabOrder) {
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wintest::WindowText(w), "Настройки программы");
    EXPECT_EQ(::GetWindow(w, GW_OWNER), hwnd) << "owned by the chat window";
    EXPECT_TRUE(::IsWindowVisible(w));
    // In tab order from the first check box round again; "" stands for a colour button.
    const std::vector<std::string> tabOrder = {
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
        "", "", "", "", "", "", "", "",
        "Ok", "Отмена", "Применить",
        "Отправлять по Enter вместо Ctrl+Enter",
    };
    HWND control = ::GetDlgItem(w, kIdFirstSwitch);
    int color = 0;
    for (const std::string& caption : tabOrder) {
        if (caption.empty())
            EXPECT_EQ(::GetDlgCtrlID(control), kIdFirstColor + color++) << "colour button";
        else
            EXPECT_EQ(wintest::WindowText(control), caption);
        control = ::GetNextDlgTabItem(w, control, FALSE);
    }
    const char* labels[] = {"Мои сообщения", "Сообщения собеседников", "Системные сообщения", "Отладочные сообщения",
                            "Заголовок", "Текст"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(wintest::Text(w, kIdFirstRowLabel + i), labels[i]);

    EXPECT_EQ(OpenGlobal(), w) << "a second F9 shows the same window";
}

// Apply keeps the window and a Cancel after it keeps what it saved; Esc is posted, as the user's comes.
TEST_F(GlobalSettingsWindowTest, CancelAndEscWriteNothingApplySaves) {
    const GlobalSettingsValues values = GlobalValuesFromSettings();
    // The store holds another value than the variable: a save shows even where the watch misses a same-value write.
    outside::SettingsStore().WriteBoolean("", "Send on Enter", !modSettings::SendOnEnter);
    for (bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Esc" : "Cancel");
        wintest::RegistryWatch watch;
        const HWND w = OpenGlobal();
        ASSERT_NE(w, nullptr);
        for (size_t i = 0; i < kSwitchCount; ++i) Click(w, kIdFirstSwitch + static_cast<int>(i));
        if (byKey)
            ::PostMessageW(::GetDlgItem(w, kIdFirstSwitch), WM_KEYDOWN, VK_ESCAPE, 1);
        else
            Click(w, kIdGlobalCancel);
        ASSERT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(w); }, 5000)) << "the window closed";
        EXPECT_FALSE(watch.Changed()) << "nothing was written";
        EXPECT_EQ(RegDword("", "Send on Enter"), modSettings::SendOnEnter ? 0 : 1) << "nothing was saved";
        EXPECT_EQ(GlobalValuesFromSettings(), values);
    }

    const bool sendOnEnter = modSettings::SendOnEnter;
    outside::SettingsStore().WriteBoolean("", "Send on Enter", sendOnEnter);
    HWND w = OpenGlobal();
    Click(w, kIdFirstSwitch);  // Send on Enter
    Click(w, kIdGlobalApply);
    EXPECT_TRUE(::IsWindow(w)) << "Apply keeps the window";
    EXPECT_EQ(modSettings::SendOnEnter, !sendOnEnter);
    EXPECT_EQ(RegDword("", "Send on Enter"), sendOnEnter ? 0 : 1);
    Click(w, kIdFirstSwitch);
    Click(w, kIdGlobalCancel);
    EXPECT_EQ(modSettings::SendOnEnter, !sendOnEnter) << "Cancel keeps what Apply saved";
    EXPECT_EQ(RegDword("", "Send on Enter"), sendOnEnter ? 0 : 1);
}

TEST_F(GlobalSettingsWindowTest, PickedColourThenCancelKeepsOnlyTheCustomColours) {
    const int32_t title = modSettings::MyMessageTitleColor;
    const HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    PickColor(w, 0, MixColor(10, 20, 30, true));
    EXPECT_EQ(ButtonColor(0), static_cast<int32_t>(RGB(10, 20, 30))) << "the button shows the pick";
    const std::string custom = RegText("Colors", "Custom Colors");
    EXPECT_EQ(custom.substr(0, 8), "#0A141E,") << "stored at once: " << custom;
    Click(w, kIdGlobalCancel);
    EXPECT_EQ(modSettings::MyMessageTitleColor, title);
    EXPECT_EQ(RegDword("Colors 2", "My Message Title Color"), title);
    EXPECT_EQ(RegText("Colors", "Custom Colors"), custom) << "kept after Cancel";

    // The stored custom colours go into the dialog again and come back whole.
    const HWND again = OpenGlobal();
    EXPECT_EQ(ButtonColor(0), title) << "loaded fresh from the settings";
    PickColor(again, 1, MixColor(1, 2, 3, false));
    EXPECT_EQ(RegText("Colors", "Custom Colors"), custom);
    // A cancelled dialog changes neither the button nor the store.
    wintest::RegistryWatch watch;
    PickColor(again, 1, MixColor(200, 200, 200, true, false));
    EXPECT_EQ(ButtonColor(1), static_cast<int32_t>(RGB(1, 2, 3)));
    EXPECT_FALSE(watch.Changed());
}

TEST_F(GlobalSettingsWindowTest, EverySwitchAndColourRoundTripsThroughTheRegistry) {
    const auto mixed = [](size_t i) { return static_cast<int32_t>(RGB(16 * i + 1, 7, 200)); };
    const GlobalSettingsValues before = GlobalValuesFromSettings();
    HWND w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    for (size_t i = 0; i < kSwitchCount; ++i) Click(w, kIdFirstSwitch + static_cast<int>(i));
    for (size_t i = 0; i < kColorCount; ++i) PickColor(w, i, MixColor(16 * static_cast<int>(i) + 1, 7, 200, false));
    ::PostMessageW(::GetDlgItem(w, kIdFirstSwitch), WM_KEYDOWN, VK_RETURN, 1);  // Enter is OK
    ASSERT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(w); }, 5000)) << "OK closes";
    EXPECT_TRUE(::IsWindow(hwnd)) << "the chat window stays";

    // The colours are read at the next message (the keys follow their variable: ChatWindowTest).
    wintest::SetText(form->MessageInput(), "colour check");
    wintest::PressKey(form->MessageInput(), VK_RETURN, 0, false, !modSettings::SendOnEnter);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("colour check"); }));
    FINDTEXTEXW find{{0, -1}, L"colour check", {}};
    ASSERT_GE(::SendMessageW(form->LogPane(), EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)), 0);
    EXPECT_EQ(wintest::FormatAt(form->LogPane(), find.chrgText.cpMin).colour, static_cast<COLORREF>(mixed(1)))
        << "my message's text in my text colour";

    // Back from the registry into the variables (their keys: the native settings suite), and into a fresh window.
    const std::string logs = modSettings::LogsFolder;  // not a setting: the log goes there at the end
    modSettings::ResetToDefaults();
    modSettings::ReadGlobalSettings();
    modSettings::LogsFolder = logs;
    w = OpenGlobal();
    ASSERT_NE(w, nullptr);
    for (size_t i = 0; i < kSwitchCount; ++i)
        EXPECT_EQ(Checked(w, kIdFirstSwitch + static_cast<int>(i)), !before.switches[i]) << "switch " << i;
    for (size_t i = 0; i < kColorCount; ++i) EXPECT_EQ(ButtonColor(i), mixed(i)) << "colour " << i;
}
