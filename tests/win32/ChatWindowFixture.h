// The real chat window on a fresh chat and the settings as at start-up; closed through its own exit at the end.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "WindowTestSupport.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/settings/modSettings.h"
#include "app/support/win32/modRTFSupport.h"
#include "outside/TextFile.h"
#include "support/TempDir.h"
#include "support/TestChat.h"

namespace wintest {

class ChatWindowFixture : public ::testing::Test {
protected:
    explicit ChatWindowFixture(std::string chatName) : chatName_(std::move(chatName)) {}

    void SetUp() override {
        UseChat(chat / chatName_, chat.path());
        outside::TheTextFile().WriteText(Chat().ChatFilePath, "", outside::TextEncoding::Utf8);
        modSettings::ResetToDefaults();
        modSettings::LoadClientGuid();
        modSettings::LoadGlobalSettings();
    }
    void TearDown() override {
        Unload(form);
        owned.reset();
        form = nullptr;
        testsupport::TestChat().reset();
    }
    // The chat the window opens on (before Open: another file or folder).
    static const startup::ClaimedChat& UseChat(const std::string& chatFilePath, const std::string& chatFolder) {
        return testsupport::UseTestChat(chatFilePath, chatFolder);
    }
    static const startup::ClaimedChat& Chat() { return *testsupport::TestChat(); }
    // Opens the window; settings given here apply from the first pass on.
    void Open(bool hidden = false, const std::function<void()>& settings = {}) {
        owned = chatwindow::frmMain::Load(testsupport::TestChat(), hidden);
        form = owned.get();
        ASSERT_NE(form, nullptr);
        hwnd = form->Handle();
        if (settings) settings();
    }
    std::string Pane() const { return modRTFSupport::PlainText(form->LogPane()); }
    bool PaneHas(const std::string& text) const { return Pane().find(text) != std::string::npos; }

    testsupport::TempDir chat;
    std::unique_ptr<chatwindow::frmMain> owned;
    chatwindow::frmMain* form = nullptr;
    HWND hwnd = nullptr;

private:
    std::string chatName_;
};

}  // namespace wintest
