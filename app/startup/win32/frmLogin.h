// The entry window: create a new chat file, open an existing one, or leave.
// Creating or opening claims the chat's folder, closes this window and shows
// the chat window. Each command remembers the folder its dialog ended in.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/startup/LoginWindowLogic.h"
#include "app/support/win32/FormBase.h"
#include "app/support/win32/ucButton.h"

namespace startup {

class frmLogin final : public support::FormBase {
public:
    static constexpr wchar_t kClassName[] = L"QuilletLogin";
    static constexpr int kIdFirstButton = 100;  // ucbCreateChat, ucbOpenChat, ucbExit
    static constexpr int kIdFirstLabel = 200;   // lblTag(0) to lblTag(4)

    // Creates and shows the window; null when it cannot be made. The caller
    // owns the object, which outlives the window.
    static std::unique_ptr<frmLogin> Load();

    support::ucButton* Button(LoginButton button) const { return buttons_[static_cast<size_t>(button)]; }
    HWND Label(int index) const { return lblTag_[static_cast<size_t>(index)]; }

    void ucbCreateChat_Click();
    void ucbOpenChat_Click();
    void ucbExit_Click() { Unload(); }

protected:
    bool OnPreviewKey(int virtualKey, support::Modifiers modifiers) override;
    void OnEscape() override { ucbExit_Click(); }
    void OnCommand(int id, int code, HWND control) override;

private:
    // The chat file the user picks in the save or open dialog, its folder remembered
    // under folderKey; empty when he cancels or the dialog fails (reported).
    std::string ChooseChatFile(bool save, const char* folderKey, const char* failure);
    frmLogin() = default;
    bool Create();
    void CreateControls();
    void LayOut();
    void LoadButtonPictures();
    // The chosen file's folder becomes the chat; false when the folder is
    // taken (the user has been warned) and the window stays.
    void EnterChat(const std::string& chosenFile);
    int TextHeightTwips(HWND label) const;

    std::array<support::ucButton*, kLoginButtonCount> buttons_{};  // owned by their windows
    std::array<HWND, kLabelCount> lblTag_{};
    bool commandRunning_ = false;
};

}  // namespace startup
