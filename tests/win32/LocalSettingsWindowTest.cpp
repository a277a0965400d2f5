// The chat settings window through its real controls and registry; the Startup shortcut through the real shell link.
#include <windows.h>
#include <shobjidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/support/win32/InputBox.h"
#include "app/support/win32/ucButton.h"
#include "outside/Support.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/Wide.h"

using namespace settings;
using wintest::Checked;
using wintest::Click;
using wintest::DialogScript;
using wintest::RegDword;
using wintest::Text;

namespace {

// Target, working folder, arguments, icon file and index, and the show command at 0x3C (Wine's GetShowCmd says 1).
using LinkFields = std::tuple<std::string, std::string, std::string, std::string, int, int>;
LinkFields ReadLink(const std::string& path) {
    outside::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return {};
    const auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(outside::W(path).c_str(), STGM_READ))) return {};
    wchar_t text[4][MAX_PATH * 2] = {};
    int iconIndex = -1;
    link->GetPath(text[0], MAX_PATH * 2, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(text[1], MAX_PATH * 2);
    link->GetArguments(text[2], MAX_PATH * 2);
    link->GetIconLocation(text[3], MAX_PATH * 2, &iconIndex);
    const std::string bytes = outside::ReadFileBytes(path, 1 << 20);
    return {outside::U8(text[0]), outside::U8(text[1]), outside::U8(text[2]), outside::U8(text[3]), iconIndex,
            bytes.size() >= 0x40 ? static_cast<unsigned char>(bytes[0x3C]) : -1};
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

TEST_F(LocalSettingsWindowTest, ShiftF9OpensTheWindowWithEveryCaptionAndTheNameBoxWorks) {
    modSettings::UserName = "Кто-то";
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wintest::WindowText(w), "Настройки чата");
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

    const HWND name = ::GetDlgItem(w, kIdUserName);
    EXPECT_EQ(Text(w, kIdUserName), "Кто-то");
    ::SetFocus(::GetDlgItem(w, kIdLocalApply));
    ::SendMessageW(name, EM_SETSEL, 1, 1);
    ::SetFocus(name);
    DWORD from = 99, to = 0;
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(DWORD{0}, DWORD{6})) << "the focus selects all";
    button->ClickMe();
    EXPECT_EQ(Text(w, kIdUserName), modSettings::GetDefaultUserName()) << "the button puts the default name in";

    for (size_t g = 0; g < kIconGroupCount; ++g) {
        for (int s : {4, 1}) {
            const HWND sample = ::GetDlgItem(w, IconSampleId(static_cast<IconGroup>(g), s));
            ::SendMessageW(sample, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            ::SendMessageW(sample, WM_LBUTTONUP, 0, 0);
            for (int o = 0; o < kIconStyleCount; ++o)
                EXPECT_EQ(Checked(w, IconOptionId(static_cast<IconGroup>(g), o)), o == s) << "group " << g << " " << s;
        }
    }
    // The grey switch changes the message samples at once (by pixels: each load is a new handle), and back.
    for (const char* grey : {"", "A", ""}) {
        for (int s = 0; s < kIconStyleCount; ++s) {
            const std::string resource = "IDI_MESSAGE_" + std::to_string(s) + grey;
            EXPECT_EQ(wintest::IconPixels(frmLocalSettings::Loaded()->SampleIcon(IconGroup::Message, s)),
                      wintest::IconPixels(
                          static_cast<HICON>(wintest::PictureHandle(outside::asLoadResTrayIcon(resource).get()))))
                << resource;
        }
        Click(w, kIdGrayMessageIcon);
    }
    EXPECT_TRUE(Checked(w, kIdGrayMessageIcon));
    EXPECT_FALSE(modSettings::GrayMessageIcon) << "shown, not applied before OK";
}

// Every control stored by Apply, the icons refreshed by OK only, all read back into a fresh window.
TEST_F(LocalSettingsWindowTest, EverySettingRoundTripsAndOnlyOkRefreshesTheIcons) {
    modSettings::SendOnEnter = true;
    const std::string chatPath = Chat().ChatFilePath;
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    // Check boxes, each clicked away from its default, with the key it is stored under.
    const std::tuple<int, const char*, long long> switches[] = {
        {kIdDeleteMessageFiles, "Notification Mode\\Delete Message Files", 1},
        {kIdHideBrokenMessageFiles, "Notification Mode\\Hide Broken Message Files", 0},
        {kIdGrayMessageIcon, "Icon Style\\Grayscale", 1},
        {kIdSharedFolder, "Notification Mode\\Shared Folder", 1},
    };
    const std::pair<int, const char*> styles[kIconGroupCount] = {
        {3, "Icon Style\\Tray"}, {5, "Icon Style\\Message"}, {6, "Icon Style\\Empty"}};
    const HWND days = ::GetDlgItem(w, kIdRetentionDays);
    EXPECT_EQ(::SendMessageW(days, EM_GETLIMITTEXT, 0, 0), 4) << "up to 9999 days";
    EXPECT_TRUE(::GetWindowLongPtrW(days, GWL_STYLE) & ES_NUMBER) << "digits only";
    ::SetWindowTextW(days, L"0");
    Click(w, kIdLocalApply);
    EXPECT_EQ(Text(w, kIdRetentionDays), "30") << "no usable number: the default, shown";
    wintest::SetText(::GetDlgItem(w, kIdUserName), "  Вася Пупкин  ");
    for (const auto& [id, key, stored] : switches) Click(w, id);
    for (size_t g = 0; g < kIconGroupCount; ++g) Click(w, IconOptionId(static_cast<IconGroup>(g), styles[g].first));
    ::SetWindowTextW(days, L"7");
    IPicture* const trayBefore = form->TrayIconPictures().tray.get();

    Click(w, kIdLocalApply);
    EXPECT_TRUE(::IsWindow(w));
    EXPECT_EQ(wintest::RegText("Nicks", chatPath), "  Вася Пупкин  ") << "stored with its blanks";
    for (const auto& [id, key, stored] : switches) EXPECT_EQ(RegDword(key, chatPath), stored) << key;
    for (const auto& [style, key] : styles) EXPECT_EQ(RegDword(key, chatPath), style) << key;
    EXPECT_EQ(RegDword("Notification Mode\\Retention Days", chatPath), 7);
    EXPECT_EQ(Text(hwnd, 102), "  Вася Пупкин  ") << "Apply shows the name in the chat window (txtUserNameRO)";
    EXPECT_EQ(form->TrayIconPictures().tray.get(), trayBefore) << "Apply leaves the icons";

    Click(w, kIdLocalOk);
    EXPECT_FALSE(::IsWindow(w));
    // By pixels: a refresh that loaded a wrong style would still give new pictures.
    const auto pixels = [](IPicture* p) { return wintest::IconPixels(static_cast<HICON>(wintest::PictureHandle(p))); };
    const auto& icons = form->TrayIconPictures();
    EXPECT_EQ(pixels(icons.tray.get()), pixels(outside::asLoadResTrayIcon("IDI_TRAY_3").get())) << "OK sets the icons";
    EXPECT_EQ(pixels(icons.message.get()), pixels(outside::asLoadResTrayIcon("IDI_MESSAGE_5A").get()));
    EXPECT_EQ(pixels(icons.empty.get()), pixels(outside::asLoadResTrayIcon("IDI_EMPTY_6").get()));

    wintest::SetText(form->MessageInput(), "hello");
    wintest::PressKey(form->MessageInput(), VK_RETURN);
    ASSERT_TRUE(wintest::PumpUntil([&] { return PaneHas("hello"); }));
    EXPECT_TRUE(PaneHas("Вася Пупкин")) << "the new name goes with the next message";

    const std::string logs = modSettings::LogsFolder;  // not a setting: the log goes there at the end
    modSettings::ResetToDefaults();
    modSettings::ReadChatSettings(chatPath);
    modSettings::LogsFolder = logs;
    const HWND again = OpenLocal();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Text(again, kIdUserName), "  Вася Пупкин  ");
    for (const auto& [id, key, stored] : switches) EXPECT_EQ(Checked(again, id), stored == 1) << key;
    for (size_t g = 0; g < kIconGroupCount; ++g)
        EXPECT_TRUE(Checked(again, IconOptionId(static_cast<IconGroup>(g), styles[g].first))) << styles[g].second;
    EXPECT_EQ(Text(again, kIdRetentionDays), "7");
}

TEST_F(LocalSettingsWindowTest, OnANetworkShareTheModeIsShownOnAndTheStoredChoiceKept) {
    // As a chat opened from a UNC path.
    frmLocalSettings::Open(
        {hwnd, std::make_shared<const startup::ClaimedChat>(Chat().ChatFilePath, "\\\\server\\share\\Чат"), {}, {}});
    ASSERT_NE(frmLocalSettings::Loaded(), nullptr);
    const HWND w = frmLocalSettings::Loaded()->Handle();
    EXPECT_TRUE(Checked(w, kIdSharedFolder));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(w, kIdSharedFolder))) << "found by itself: not the user's to change";
    Click(w, kIdLocalOk);
    EXPECT_EQ(RegDword("Notification Mode\\Shared Folder", Chat().ChatFilePath), 0) << "the choice stays";
}

// The branches of the question are the logic suite's; here the boxes, the input box and the link itself.
TEST_F(LocalSettingsWindowTest, StartupShortcutOnceThenAskedForANewName) {
    const std::string first = Link(AutorunShortcutName(Chat().ChatFilePath));
    const std::string second = Link("Второй ✓.LNK");
    ASSERT_FALSE(outside::esIsFileExist(first));
    const HWND w = OpenLocal();
    ASSERT_NE(w, nullptr);
    const std::string done = "Готово! ^_^v", question = ShortcutExistsQuestion(first);
    {
        DialogScript script({DialogScript::Expect({IDOK}, IDI_INFORMATION, DialogScript::Press(IDOK))});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Texts(), std::vector<std::string>{done});
    }
    const std::string program = outside::esGetModuleFileName(0, true), arguments = "/H \"" + Chat().ChatFilePath + "\"";
    const LinkFields expected(program, Chat().ChatFolder, arguments, program, 0, 10);
    EXPECT_EQ(ReadLink(first), expected) << "the program in the chat's folder on the chat, shown as last (SW_SHOWDEFAULT)";
    {  // No with a new name: a second shortcut; the box proposed the name without ".LNK".
        auto proposed = std::make_shared<std::string>();
        DialogScript script({DialogScript::Expect({IDYES, IDNO, IDCANCEL}, IDI_WARNING, DialogScript::Press(IDNO)),
                             [proposed](HWND box) {
                                 *proposed = wintest::WindowText(::GetDlgItem(box, support::kInputBoxAnswerId));
                                 DialogScript::ChooseFile("Второй ✓")(box);
                             },
                             DialogScript::Press(IDOK)});
        Click(w, kIdAddToAutorun);
        EXPECT_EQ(script.Texts(), (std::vector<std::string>{question, "Введите новое имя для ярлыка, который будет помещён в автозагрузку.",
                                                          done}));
        EXPECT_EQ(*proposed, outside::esGetFileName(Chat().ChatFilePath));
    }
    EXPECT_EQ(std::get<2>(ReadLink(second)), arguments);
}
