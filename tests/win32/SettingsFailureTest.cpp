// The settings windows when Windows refuses them: an unwritable store, a missing Startup folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"

using namespace settings;
using wintest::Click;
using wintest::DialogScript;

namespace {

bool StartsWith(const std::string& text, const std::string& lead) { return text.rfind(lead, 0) == 0; }

class SettingsFailureTest : public wintest::SettingsWindowFixture {
protected:
    SettingsFailureTest() : SettingsWindowFixture("Отказ.ZPMFChat") {}
    void SetUp() override {
        if (!wintest::UnderWine()) GTEST_SKIP() << "makes the program's settings key unwritable: runs under Wine only";
        SettingsWindowFixture::SetUp();
    }
    void TearDown() override {
        if (auto* w = frmGlobalSettings::Loaded()) w->Unload();
        if (auto* w = frmLocalSettings::Loaded()) w->Unload();
        SettingsWindowFixture::TearDown();
    }
};

}  // namespace

TEST_F(SettingsFailureTest, AStoreThatCannotBeWrittenIsReportedAndOkKeepsTheWindow) {
    const std::tuple<const char*, bool, int> cases[] = {
        {"program settings, OK", false, kIdGlobalOk},
        {"program settings, Apply", false, kIdGlobalApply},
        {"chat settings, OK", true, kIdLocalOk},
        {"chat settings, Apply", true, kIdLocalApply},
    };
    for (const auto& [name, chatSettings, button] : cases) {
        SCOPED_TRACE(name);
        const HWND w = chatSettings ? OpenLocal() : OpenGlobal();
        ASSERT_NE(w, nullptr);
        std::vector<std::string> texts;
        {
            wintest::UnwritableSettings unwritable;
            DialogScript script({DialogScript::Press(IDOK)});
            Click(w, button);
            texts = script.Texts();
        }
        ASSERT_EQ(texts.size(), 1u) << "the failure is reported";
        EXPECT_TRUE(StartsWith(texts[0], "Не удалось сохранить настройки.\r\n\r\nОшибка ")) << texts[0];
        EXPECT_NE(texts[0].find(outside::SettingsStoreLocation()), std::string::npos) << "with the key: " << texts[0];
        EXPECT_TRUE(::IsWindow(w)) << "the window stays, so nothing looks saved that is not";
        EXPECT_TRUE(::IsWindowEnabled(w));
        Click(w, IDCANCEL);  // both windows' Cancel
        EXPECT_FALSE(::IsWindow(w));
    }
}

TEST_F(SettingsFailureTest, AMissingStartupFolderEndsInTheShortcutErrorBox) {
    const std::string startup = outside::esGetSpecialFolder(outside::kFolderStartup);
    const std::wstring folder = outside::W(startup);
    if (!::RemoveDirectoryW(folder.c_str())) GTEST_SKIP() << "the Startup folder is not empty here";
    std::vector<std::string> texts;
    {
        const HWND w = OpenLocal();
        ASSERT_NE(w, nullptr);
        DialogScript script({DialogScript::Press(IDOK)});
        Click(w, kIdAddToAutorun);
        texts = script.Texts();
    }
    const bool remade = ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_EQ(texts.size(), 1u) << "the failure is reported";
    EXPECT_TRUE(StartsWith(texts[0], std::string(kShortcutFailedText) + "\r\n\r\nОшибка ")) << texts[0];
    EXPECT_TRUE(remade) << "no shortcut and no folder were made";
}
