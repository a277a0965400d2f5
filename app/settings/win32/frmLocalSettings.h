// The chat settings window: the user name, the message-file policies and the
// icon styles of the open chat, and adding the chat to the Startup folder.
// One instance, modeless over the chat window, filled from the settings each
// time it loads.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/settings/LocalSettingsLogic.h"
#include "app/startup/ClaimedChat.h"
#include "app/support/win32/FormBase.h"
#include "app/support/win32/csTBSelectAllHook.h"
#include "outside/win32/Handles.h"

namespace settings {

// What the window needs of the chat window that opens it.
struct ChatWindowLink {
    HWND owner = nullptr;
    startup::ChatPtr chat;  // the open chat, whose settings the window shows
    std::function<void(const std::string& userName)> showUserName;  // into txtUserNameRO
    std::function<void()> setTrayIcons;
};

class frmLocalSettings final : public support::FormBase {
public:
    // Shows the window over the chat window; loads it first when it is not loaded.
    static void Open(ChatWindowLink chat);
    // The window object while its window is loaded, else null.
    static frmLocalSettings* Loaded();

    // all: every sample from the stored settings; otherwise only the message
    // samples, grey as the check box says.
    void LoadIconSamples(bool all);
    void FillFromSettings();
    void ApplyToSettings();
    // The icon each sample shows now (for those who look).
    HICON SampleIcon(IconGroup group, int style) const;

protected:
    void OnCommand(int id, int code, HWND control) override;
    void OnUnload() override;

private:
    frmLocalSettings() = default;
    bool Load(ChatWindowLink chat);
    void CreateControls();
    void SetSample(IconGroup group, int style, const std::string& resource);
    void cmdAddToAutorun_Click();
    void AddToAutorun();
    // Writes the shortcut and says how it went.
    void CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& workingFolder,
                        const std::string& arguments, const std::string& iconFile, int iconIndex, int showCommand);
    int Ask(const std::string& text, UINT style) const;

    ChatWindowLink chat_;
    HWND txtUserName_ = nullptr;
    HWND chkDeleteMessageFiles_ = nullptr;
    HWND chkHideBrokenMessageFiles_ = nullptr;
    HWND chkSharedFolder_ = nullptr;
    HWND txtRetentionDays_ = nullptr;
    HWND chkGrayMessageIcon_ = nullptr;
    std::array<std::array<HWND, kIconStyleCount>, kIconGroupCount> options_{};
    std::array<std::array<HWND, kIconStyleCount>, kIconGroupCount> samples_{};
    std::array<std::array<outside::ComPtr<IPicture>, kIconStyleCount>, kIconGroupCount> pictures_{};
    std::unique_ptr<support::csTBSelectAllHook> userNameHook_;
};

}  // namespace settings
