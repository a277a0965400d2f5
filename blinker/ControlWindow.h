// The windows of one control. The face window shows the control: until a
// container activates the control in place it is a message-only window; in
// place it becomes a child of the container's window, always at the fixed
// face size, and a container may destroy it with its own. The timer tmrBlink
// lives on a message-only window of its own that no container can take away,
// so a blinking control keeps ticking (from the host thread's message loop)
// for as long as it blinks.
#pragma once

#include <windows.h>

#include "outside/win32/Handles.h"

namespace flickon {

class ControlWindow {
public:
    // What the window calls back into; OnTick never lets an exception out.
    class Owner {
    public:
        virtual void OnTick() noexcept = 0;

    protected:
        ~Owner() = default;
    };

    ControlWindow(Owner& owner, const wchar_t* faceBitmap);
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HWND Handle() const { return window_.get(); }
    // The face window, made again (hidden) if a container destroyed it.
    HWND FaceWindow() {
        Create();
        return window_.get();
    }
    HBITMAP Face() const { return static_cast<HBITMAP>(face_.get()); }

    // tmrBlink as a classic form timer: it fires every interval while enabled; an
    // interval of 0 never fires.
    void SetTimerEnabled(bool enabled);
    void SetTimerInterval(UINT milliseconds);
    bool TimerEnabled() const { return timerEnabled_; }

    // In place: a visible child of parent at the given position.
    void ShowIn(HWND parent, POINT topLeft);
    void MoveTo(POINT topLeft);
    // Back to a hidden message-only window.
    void Hide();

    // The fixed face size, 570 twips, in pixels of the screen.
    static SIZE FaceSizePixels();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The hidden message-only window, unless it exists.
    void Create();
    void ApplyTimer();
    void Paint();

    Owner& owner_;
    bool classAcquired_ = false;
    outside::UniqueGdiObject face_;
    outside::UniqueWindow window_;
    outside::UniqueWindow timer_;
    bool timerEnabled_ = false;
    UINT interval_ = 750;
};

}  // namespace flickon
