// The tray-icon control: one notification-area icon with a picture, a tool
// tip and a visibility switch, reporting the user's mouse actions on it. It
// owns a hidden window of its own for the shell's callbacks, and puts the icon
// back when Explorer restarts.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "Handles.h"

namespace outside {

class Perchlet {
public:
    Perchlet();
    ~Perchlet();
    Perchlet(const Perchlet&) = delete;
    Perchlet& operator=(const Perchlet&) = delete;

    // The icon picture (an icon-type OLE picture); kept while it is shown.
    void SetIcon(ComPtr<IPicture> picture);
    const ComPtr<IPicture>& Icon() const { return icon_; }
    HICON IconHandle() const;
    void SetText(const std::string& toolTip);
    const std::string& Text() const { return text_; }
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }

    // A notification beside the icon: a balloon, which Windows 10 and 11 show
    // as a toast, with the given icon (none: the information sign). A click
    // on it reaches OnTrayEvent as NIN_BALLOONUSERCLICK. False when the shell
    // refused it (the icon is not shown).
    bool ShowBalloon(const std::string& title, const std::string& text, HICON icon = nullptr);
    // Takes back the last balloon if it may still be showing.
    void HideBalloon();
    // What the last ShowBalloon gave the shell, and how many it gave.
    struct Balloon {
        std::string title;
        std::string text;
    };
    const Balloon& LastBalloon() const { return lastBalloon_; }
    int BalloonsShown() const { return balloonsShown_; }

    // Raised for every mouse action on the icon; the argument is the mouse message.
    std::function<void(UINT mouseMessage)> OnTrayEvent;
    // The mouse message of the last event.
    UINT LastMouseMessage() const { return lastMouseMessage_; }

    HWND CallbackWindow() const { return window_.get(); }
    static constexpr UINT kCallbackMessage = WM_APP + 0x51;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The icon, the tip and the callback; with a balloon, only that.
    bool Notify(DWORD action, const NOTIFYICONDATAW* balloon = nullptr);
    void Update();

    UniqueWindow window_;
    ComPtr<IPicture> icon_;
    std::string text_;
    bool visible_ = false;
    bool added_ = false;
    UINT lastMouseMessage_ = 0;
    Balloon lastBalloon_;
    int balloonsShown_ = 0;
    bool balloonUp_ = false;
    UINT taskbarCreated_ = 0;
};

// An icon resource of the program as an icon picture fit for the tray (16 × 16).
ComPtr<IPicture> asLoadResTrayIcon(const std::string& resourceName);

}  // namespace outside
