// A clean chat per test: default settings, temporary chat and logs folders, and the test's chat (TestChat) there.
#pragma once

#include <gtest/gtest.h>

#include "app/settings/modSettings.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "support/TempDir.h"
#include "support/TestChat.h"

namespace testsupport {

class ChatFixture : public ::testing::Test {
protected:
    void SetUp() override {
        modSettings::ResetToDefaults();
        modSettings::ClientGuid = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
        modSettings::LogsFolder = outside::esBuildFileName2(logs.path(), "Greyfen Works", "Quillet", "Logs", "{LOG}");
        UseTestChat(chat / "Беседа.ZPMFChat", chat.path());
        outside::TheTextFile().WriteText(Chat().ChatFilePath, "", outside::TextEncoding::Utf8);
    }
    void TearDown() override {
        TestChat().reset();
        modSettings::ResetToDefaults();
    }
    static const startup::ClaimedChat& Chat() { return *TestChat(); }

    TempDir chat;
    TempDir logs;
};

}  // namespace testsupport
