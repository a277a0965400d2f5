// A clean chat for a test: settings at their defaults, a temporary chat
// folder and logs folder, and the process-wide chat values pointing there.
#pragma once

#include <gtest/gtest.h>

#include "app/settings/modSettings.h"
#include "app/startup/modMain.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/TempDir.h"

namespace testsupport {

class ChatFixture : public ::testing::Test {
protected:
    void SetUp() override {
        modSettings::ResetToDefaults();
        modSettings::ClientGuid = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
        modSettings::LogsFolder = outside::esBuildFileName2(logs.path(), "Greyfen Works", "Quillet", "Logs", "{LOG}");
        modMain::ChatFolder = chat.path();
        modMain::ChatFilePath = chat / "Беседа.ZPMFChat";
        outside::TheTextFile().WriteText(modMain::ChatFilePath, "", outside::TextEncoding::Utf8);
    }
    void TearDown() override {
        modMain::ChatFolder.clear();
        modMain::ChatFilePath.clear();
        modSettings::ResetToDefaults();
    }

    TempDir chat;
    TempDir logs;
};

}  // namespace testsupport
