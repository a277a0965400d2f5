// The chat window: the user's name, the toolbar, the conversation pane and
// the message box; the 250 ms timer that polls the folder; hiding to the tray
// and the closing sequence.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "../ChatWindowLogic.h"
#include "../ConversationLog.h"
#include "../MessageDisplay.h"
#include "../NotificationLogic.h"
#include "BlinkerHost.h"
#include "RichEditPane.h"
#include "app/exchange/IFSWatcher.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/UpdatePoller.h"
#include "app/support/win32/FormBase.h"
#include "app/support/win32/csTBSelectAllHook.h"
#include "app/support/win32/ucButton.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Hookwell.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/TrayMenu.h"

namespace chatwindow {

class frmMain final : public support::FormBase, public exchange::IDispatchHost, public outside::IHookwellCallback {
public:
    // Creates the window for the chat; hidden when startHidden. The window
    // keeps the chat (and with it the claim on its folder) while it lives.
    // Returns null when the window cannot be made. The caller owns the object;
    // it outlives the window and is deleted only after the window is gone.
    static std::unique_ptr<frmMain> Load(startup::ChatPtr chat, bool startHidden);
    // The one chat window object of the process, or null.
    static frmMain* Current();
    ~frmMain() override;

    // Dispatch passes run so far, not counting one that is running (for tests and benchmarks).
    int PassesDone() const { return poller_ ? poller_->Passes() - (dispatcher_.InPass() ? 1 : 0) : 0; }
    HWND LogPane() const { return pane_.Handle(); }
    HWND MessageInput() const { return txtMessage_; }

    // IDispatchHost: the chat, the pane, the log, the caption and the message loop.
    const startup::ClaimedChat& Chat() const override { return *chat_; }
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override;
    void ShowSystemMessage(const std::string& text) override;
    void ShowDebugMessage(const std::string& text) override;
    bool SaveLog(bool silent, bool resetName) override;
    void ClearConversation() override;
    void SetCaption(const std::string& caption) override;
    void PumpMessagesOnce() override;
    void PassFinished() override;

    void HideWindow();
    // A toolbar button's action (a click or its hot key): focus to the message box first.
    void ToolbarClick(int button);
    // Window-wide keys seen before the focused control; true when handled.
    bool Form_KeyDown(HWND source, int virtualKey);
    // Ends the program from inside (exit button, Shift+Esc): always saves first.
    void Unload() override;
    // The tray icon, its blinker and its pictures (for the chat settings window and tests).
    void SetTrayIcons();
    outside::Perchlet* TrayIcon() const { return stMain_.get(); }
    BlinkerHost* Blinker() const { return icBlinker_.get(); }
    // The pictures SetTrayIcons chose: the resting icon and the two blink phases.
    struct TrayPictures {
        outside::ComPtr<IPicture> tray, message, empty;
    };
    const TrayPictures& TrayIconPictures() const { return trayPictures_; }
    // Messages from others not yet seen in the window (the tray tip counts them).
    int UnreadMessages() const { return notifications_.Unread(); }

    // Every message of the window and its two text boxes passes here first.
    void WindowProc(outside::Hookwell& hook, HWND window, UINT& message, WPARAM& wParam, LPARAM& lParam,
                    LRESULT& result, bool& suppress) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Keys are previewed through the children's subclass, not the message loop.
    bool OnPreviewKey(int, support::Modifiers) override { return false; }
    void OnResize(int widthTwips, int heightTwips) override;

private:
    explicit frmMain(startup::ChatPtr chat);

    bool Create(bool startHidden);
    void CreateControls();
    void Form_Resize();
    void tmrUpdate_Timer();
    // Closing: fromCloseCommand is the window's own close (box, menu, Alt+F4).
    void QueryUnload(bool fromCloseCommand);
    void PreviewKeysOf(HWND child);
    static LRESULT CALLBACK KeyPreviewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);
    void SendFromMessageBox();
    void StartSubclassing();
    void StopSubclassing();
    void CreateTray();
    void stMain_TrayEvent();
    void mnuContext_Click(int index);
    // The user looks at the window: blinking, notifications and the count stop.
    void ChatWindowSeen();
    // A notification whose burst is over goes to the tray; the tip follows the count.
    void UpdateNotifications();
    void LoadToolbarPictures();

    HWND lblName_ = nullptr;
    HWND lblLog_ = nullptr;
    HWND txtUserNameRO_ = nullptr;
    HWND txtMessage_ = nullptr;
    outside::UniqueGdiObject buttonFaceBrush_;

    const startup::ChatPtr chat_;  // never null
    RichEditPane pane_;
    MessageDisplay display_;
    ConversationLog log_;
    exchange::MessageDispatcher dispatcher_;
    std::unique_ptr<exchange::IFSWatcher> watcher_;
    std::unique_ptr<exchange::UpdatePoller> poller_;
    std::unique_ptr<outside::Perchlet> stMain_;
    std::unique_ptr<BlinkerHost> icBlinker_;
    TrayPictures trayPictures_;
    NotificationLogic notifications_;
    std::string trayCaption_;  // the tip without the count
    std::unique_ptr<outside::TrayMenu> trayMenu_;
    HMENU mnuMain_ = nullptr;
    std::array<std::unique_ptr<outside::Hookwell>, 3> hooks_;
    std::array<support::ucButton*, kButtonCount> buttons_{};  // owned by their windows
    std::array<std::unique_ptr<support::csTBSelectAllHook>, 2> selectAllHooks_;

    // Outside a pass every line is saved at once; a pass saves per batch of files.
    bool SaveLogAfterLine();
    bool logDirty_ = false;
    bool saveFailureShown_ = false;  // a failing log is reported once, until a save succeeds
    DWORD lastCaption_ = 0;
    bool captionShownInPass_ = false;
    std::string pendingCaption_;
    // The character of the key being handled is not the box's (Enter, Esc, Ctrl+L);
    // cleared by the next key, so it never eats a later character.
    bool swallowChar_ = false;
    int transparencyPercent_ = 0;
    bool exitRequested_ = false;
    bool closePending_ = false;
    bool unloading_ = false;
};

}  // namespace chatwindow
