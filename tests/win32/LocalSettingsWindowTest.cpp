// The chat settings window through its real controls and the registry of the
// test prefix, and the Startup shortcut through the real shell link.
#include <windows.h>
#include <shobjidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/support/win32/InputBox.h"
#include "app/support/win32/ucButton.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/Wide.h"

using namespace settings;
using wintest::DialogScript;

namespace {

struct LinkFields {
    std::string target, workingFolder, arguments, iconFile;
    int iconIndex = -1;
    int showCommandInFile = -1;
};

LinkFields ReadLink(const std::string& path) {
    LinkFields f;
    outside::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return f;
    const auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(outside::W(path).c_str(), STGM_READ))) return f;
    wchar_t text[MAX_PATH * 2] = {};
    link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
    f.target = outside::U8(text);
    link->GetWorkingDirectory(text, MAX_PATH * 2);
    f.workingFolder = outside::U8(text);
    link->GetArguments(text, MAX_PATH * 2);
    f.arguments = outside::U8(text);
    link->GetIconLocation(text, MAX_PATH * 2, &f.iconIndex);
    f.iconFile = outside::U8(text);
    // Wine's GetShowCmd always says 1; the file itself keeps it at 0x3C.
    const std::string bytes = outside::ReadFileBytes(path, 1 << 20);
    if (bytes.size() >= 0x40) f.showCommandInFile = static_cast<unsigned char>(bytes[0x3C]);
    return f;
}

class LocalSettingsWindowTest : public wintest::SettingsWindowFixture {
protected:
    // Outside the ANSI code page (1251 and 1252 alike): only the wide shell link keeps it.
    LocalSettingsWindowTest() : SettingsWindowFixture("Автозапуск ✓ 日本.ZPMFChat") {}
    void TearDown() override {
        if (auto* w = frmLocalSettings::Loaded()) w->Unload();
        for (const std::string& link : links_) ::DeleteFileW(outside::W(link).c_str());
        SettingsWindowFixture::TearDown();
    }
    std::string Link(const std::string& name) {
        const std::string path =
            outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderStartup), name);
        links_.push_back(path);
        return path;
    }
    std::vector<std::string> links_;
};

}  // namespace

TEST_F(LocalSettingsWindowTest, ShiftF9OpensTheWindowWithEveryCaption) {
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wintest::WindowCaption(w), "Настройки чата");
    EXPECT_EQ(::GetWindow(w, GW_OWNER), hwnd);
    const std::pair<int, const char*> captions[] = {
        {kIdUserNameLabel, "Меня зовут:"},
        {kIdDeleteMessageFiles, "Удалять файлы сообщений (ОПАСНО!)"},
        {kIdHideBrokenMessageFiles, "Прятать (вместо удаления) файлы сообщений с ошибками"},
        {kIdSharedFolder, "Общая папка на сервере: чужие файлы не трогать"},
        {kIdRetentionDaysLabel, "Свои файлы хранить, дней:"},
        {kIdRetentionDays, "30"},
        {kIdFirstIconFrame, " Иконка в трее "},
        {kIdFirstIconFrame + 1, " Иконка сообщения "},
        {kIdFirstIconFrame + 2, " Пустая иконка (анимация мигания) "},
        {kIdGrayMessageIcon, "Серая иконка (маркер лучше виден)"},
        {kIdAutorunLabel, "Открывать данный чат при старте системы. Он будет помещён в папку Автозагрузка, а не в "
                          "реестр. Удалить вы сможете ручками ^^"},
        {kIdAddToAutorun, "Добавить"},
        {kIdLocalOk, "Ok"},
        {kIdLocalCancel, "Отмена"},
        {kIdLocalApply, "Применить"},
    };
    for (const auto& [id, caption] : captions) EXPECT_EQ(Text(w, id), caption) << id;
    auto* button = support::ucButton::FromHandle(::GetDlgItem(w, kIdSetDefaultUserName));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->ToolTip(), " Установить имя пользователя по умолчанию ");
    EXPECT_NE(button->Picture().get(), nullptr) << "the button has its picture";
    EXPECT_EQ(OpenLocal(), w) << "one instance";
}

TEST_F(LocalSettingsWindowTest, NameBoxSelectsAllOnFocusAndTakesTheDefaultName) {
    modSettings::UserName = "Кто-то";
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    const HWND name = ::GetDlgItem(w, kIdUserName);
    EXPECT_EQ(Text(w, kIdUserName), "Кто-то");
    ::SetFocus(::GetDlgItem(w, kIdLocalApply));
    ::SendMessageW(name, EM_SETSEL, 1, 1);
    ::SetFocus(name);
    DWORD from = 99, to = 0;
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 6u);
    support::ucButton::FromHandle(::GetDlgItem(w, kIdSetDefaultUserName))->ClickMe();
    EXPECT_EQ(Text(w, kIdUserName), modSettings::GetDefaultUserName());
}

TEST_F(LocalSettingsWindowTest, SamplesSelectTheirOptionsAndGreySwitchesTheMessageSamples) {
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    auto* window = frmLocalSettings::Loaded();
    ASSERT_NE(window, nullptr);
    for (size_t g = 0; g < kIconGroupCount; ++g) {
        const auto group = static_cast<IconGroup>(g);
        for (int s : {4, 1}) {
            ::SendMessageW(::GetDlgItem(w, IconSampleId(group, s)), WM_LBUTTONDOWN, MK_LBUTTON, 0);
            ::SendMessageW(::GetDlgItem(w, IconSampleId(group, s)), WM_LBUTTONUP, 0, 0);
            for (int o = 0; o < kIconStyleCount; ++o)
                EXPECT_EQ(Checked(w, IconOptionId(group, o)), o == s) << "group " << g << " sample " << s;
        }
    }
    // Which picture a sample shows, by its pixels: each load makes a new icon handle.
    const auto shows = [&](IconGroup group, int style, const std::string& resource) {
        const auto expected = outside::asLoadResTrayIcon(resource);
        return wintest::IconPixels(window->SampleIcon(group, style)) ==
               wintest::IconPixels(static_cast<HICON>(wintest::PictureHandle(expected.get())));
    };
    for (int s = 0; s < kIconStyleCount; ++s) {
        EXPECT_TRUE(shows(IconGroup::Message, s, "IDI_MESSAGE_" + std::to_string(s))) << s;
        EXPECT_FALSE(shows(IconGroup::Message, s, "IDI_MESSAGE_" + std::to_string(s) + "A")) << s;
        EXPECT_TRUE(shows(IconGroup::Tray, s, "IDI_TRAY_" + std::to_string(s))) << s;
        EXPECT_TRUE(shows(IconGroup::Empty, s, "IDI_EMPTY_" + std::to_string(s))) << s;
    }
    Click(w, kIdGrayMessageIcon);
    for (int s = 0; s < kIconStyleCount; ++s)
        EXPECT_TRUE(shows(IconGroup::Message, s, "IDI_MESSAGE_" + std::to_string(s) + "A")) << "grey at once, " << s;
    EXPECT_FALSE(modSettings::GrayMessageIcon) << "shown, not applied before OK";
    Click(w, kIdGrayMessageIcon);
    for (int s = 0; s < kIconStyleCount; ++s)
        EXPECT_TRUE(shows(IconGroup::Message, s, "IDI_MESSAGE_" + std::to_string(s))) << "and back, " << s;
}

TEST_F(LocalSettingsWindowTest, EverySettingRoundTripsAndOnlyOkRefreshesTheIcons) {
    const std::string chatPath = Chat().ChatFilePath;
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    ::SetWindowTextW(::GetDlgItem(w, kIdUserName), outside::W("  Вася Пупкин  ").c_str());
    Click(w, kIdDeleteMessageFiles);      // false -> true
    Click(w, kIdHideBrokenMessageFiles);  // true -> false
    const int styles[kIconGroupCount] = {3, 5, 6};
    for (size_t g = 0; g < kIconGroupCount; ++g) Click(w, IconOptionId(static_cast<IconGroup>(g), styles[g]));
    Click(w, kIdGrayMessageIcon);
    Click(w, kIdSharedFolder);  // false -> true
    ::SetWindowTextW(::GetDlgItem(w, kIdRetentionDays), L"7");
    IPicture* const trayBefore = form->TrayIconPictures().tray.get();

    Click(w, kIdLocalApply);
    EXPECT_TRUE(::IsWindow(w));
    EXPECT_EQ(wintest::RegText("Nicks", chatPath), "  Вася Пупкин  ") << "stored with its blanks";
    EXPECT_EQ(wintest::RegDword("Notification Mode\\Delete Message Files", chatPath), 1);
    EXPECT_EQ(wintest::RegDword("Notification Mode\\Hide Broken Message Files", chatPath), 0);
    EXPECT_EQ(wintest::RegDword("Icon Style\\Tray", chatPath), 3);
    EXPECT_EQ(wintest::RegDword("Icon Style\\Message", chatPath), 5);
    EXPECT_EQ(wintest::RegDword("Icon Style\\Empty", chatPath), 6);
    EXPECT_EQ(wintest::RegDword("Icon Style\\Grayscale", chatPath), 1);
    EXPECT_EQ(wintest::RegDword("Notification Mode\\Shared Folder", chatPath), 1);
    EXPECT_EQ(wintest::RegDword("Notification Mode\\Retention Days", chatPath), 7);
    wchar_t shown[128] = {};
    ::GetDlgItemTextW(hwnd, 102, shown, 128);  // txtUserNameRO
    EXPECT_EQ(outside::U8(shown), "  Вася Пупкин  ") << "Apply shows the name in the chat window";
    EXPECT_EQ(form->TrayIconPictures().tray.get(), trayBefore) << "Apply leaves the icons";

    Click(w, kIdLocalOk);
    EXPECT_FALSE(::IsWindow(w));
    EXPECT_NE(form->TrayIconPictures().tray.get(), trayBefore) << "OK sets the icons";

    // Back from the registry, and into a fresh window.
    const ChatSettingsValues applied = ChatValuesFromSettings();
    modSettings::ResetToDefaults();
    modSettings::ReadChatSettings(chatPath);
    EXPECT_EQ(ChatValuesFromSettings(), applied);
    const HWND again = OpenLocal();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Text(again, kIdUserName), "  Вася Пупкин  ");
    EXPECT_TRUE(Checked(again, kIdDeleteMessageFiles));
    EXPECT_FALSE(Checked(again, kIdHideBrokenMessageFiles));
    for (size_t g = 0; g < kIconGroupCount; ++g)
        EXPECT_TRUE(Checked(again, IconOptionId(static_cast<IconGroup>(g), styles[g]))) << g;
    EXPECT_TRUE(Checked(again, kIdGrayMessageIcon));
    EXPECT_TRUE(Checked(again, kIdSharedFolder));
    EXPECT_EQ(Text(again, kIdRetentionDays), "7");
    Click(again, kIdLocalCancel);
}

TEST_F(LocalSettingsWindowTest, RetentionTakesOnlyAUsableNumberOfDays) {
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    const HWND days = ::GetDlgItem(w, kIdRetentionDays);
    EXPECT_EQ(::SendMessageW(days, EM_GETLIMITTEXT, 0, 0), 4) << "up to 9999 days";
    EXPECT_TRUE(::GetWindowLongPtrW(days, GWL_STYLE) & ES_NUMBER) << "digits only";
    const std::pair<const wchar_t*, const char*> cases[] = {{L"0", "30"}, {L"", "30"}, {L"1", "1"}, {L"9999", "9999"}};
    for (const auto& [typed, kept] : cases) {
        ::SetWindowTextW(days, typed);
        Click(w, kIdLocalApply);
        EXPECT_EQ(Text(w, kIdRetentionDays), kept) << outside::U8(typed);
        EXPECT_EQ(wintest::RegDword("Notification Mode\\Retention Days", Chat().ChatFilePath), std::stoi(kept));
    }
}

TEST_F(LocalSettingsWindowTest, OnANetworkShareTheModeIsShownOnAndTheStoredChoiceKept) {
    // As a chat opened from a UNC path.
    settings::frmLocalSettings::Open(
        {hwnd, std::make_shared<const startup::ClaimedChat>(Chat().ChatFilePath, "\\\\server\\share\\Чат"), {}, {}});
    ASSERT_NE(settings::frmLocalSettings::Loaded(), nullptr);
    const HWND w = settings::frmLocalSettings::Loaded()->Handle();
    EXPECT_TRUE(Checked(w, kIdSharedFolder));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(w, kIdSharedFolder))) << "found by itself: not the user's to change";
    Click(w, kIdLocalOk);
    EXPECT_EQ(wintest::RegDword("Notification Mode\\Shared Folder", Chat().ChatFilePath), 0) << "the choice stays";
}

TEST_F(LocalSettingsWindowTest, NewNameGoesWithTheNextMessage) {
    modSettings::SendOnEnter = true;
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    ::SetWindowTextW(::GetDlgItem(w, kIdUserName), outside::W("Новое Имя").c_str());
    Click(w, kIdLocalOk);
    ::SetWindowTextW(form->MessageInput(), L"hello");
    ::SendMessageW(form->MessageInput(), WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("hello"); }));
    EXPECT_TRUE(PaneHas("Новое Имя"));
}

TEST_F(LocalSettingsWindowTest, StartupShortcutOnceThenAskedCancelNoAndYes) {
    const std::string first = Link(AutorunShortcutName(Chat().ChatFilePath));
    const std::string second = Link("Второй ✓.LNK");
    ASSERT_FALSE(outside::esIsFileExist(first));
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    {
        DialogScript script({DialogScript::Press(IDOK)});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Texts(), std::vector<std::string>{"Готово! ^_^v"});
    }
    ASSERT_TRUE(outside::esIsFileExist(first)) << first;
    const LinkFields f = ReadLink(first);
    EXPECT_EQ(f.target, outside::esGetModuleFileName(0, true));
    EXPECT_EQ(f.workingFolder, Chat().ChatFolder);
    EXPECT_EQ(f.arguments, "/H \"" + Chat().ChatFilePath + "\"");
    EXPECT_EQ(f.iconFile, outside::esGetModuleFileName(0, true));
    EXPECT_EQ(f.iconIndex, 0);
    EXPECT_EQ(f.showCommandInFile, 10);

    const std::string question = ShortcutExistsQuestion(first);
    {  // Cancel: nothing new.
        DialogScript script({DialogScript::Press(IDCANCEL)});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Texts(), std::vector<std::string>{question});
    }
    {  // No and an empty name: nothing either.
        DialogScript script({DialogScript::Press(IDNO), DialogScript::TypeAndConfirm(support::kInputBoxAnswerId, "")});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Taken(), 2u);
    }
    EXPECT_FALSE(outside::esIsFileExist(second));
    {  // No with a new name: a second shortcut; the box proposed the name without ".LNK".
        auto proposed = std::make_shared<std::string>();
        DialogScript script({DialogScript::Press(IDNO),
                             [proposed](HWND box) {
                                 *proposed = wintest::WindowCaption(::GetDlgItem(box, support::kInputBoxAnswerId));
                                 DialogScript::TypeAndConfirm(support::kInputBoxAnswerId, "Второй ✓")(box);
                             },
                             DialogScript::Press(IDOK)});
        Click(w, kIdAddToAutorun);
        const auto texts = script.Texts();
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0], question);
        EXPECT_EQ(texts[1], "Введите новое имя для ярлыка, который будет помещён в автозагрузку.");
        EXPECT_EQ(texts[2], "Готово! ^_^v");
        EXPECT_EQ(*proposed, outside::esGetFileName(Chat().ChatFilePath));
    }
    EXPECT_TRUE(outside::esIsFileExist(second));
    EXPECT_EQ(ReadLink(second).arguments, "/H \"" + Chat().ChatFilePath + "\"");
    {  // Yes replaces the first.
        testsupport::WriteRaw(first, "not a shortcut");
        DialogScript script({DialogScript::Press(IDYES), DialogScript::Press(IDOK)});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Texts(), (std::vector<std::string>{question, "Готово! ^_^v"}));
    }
    EXPECT_EQ(ReadLink(first).workingFolder, Chat().ChatFolder);
}
