// A flat, square picture button: a bitmap centred inside a raised edge that
// sinks while a mouse button is held. A real child window; the object belongs
// to its window and is deleted with it. A click reaches the parent as
// WM_COMMAND with BN_CLICKED and the control id; the button has no keyboard
// handling of its own (hosts use ClickMe); while it has the focus, which a host
// may give it, a dotted focus rectangle shows inside the edge.
//
// Its window text is its caption (or its tool tip): never drawn, it is the
// name assistive technology reads, with the push-button role; the default
// action there (and BM_CLICK) presses it.
//
// The face is painted into a kept image when the button is shown, resized,
// pressed or released; other paints only copy that image, so a new picture
// shows from the next of those events on.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "app/support/PictureButtonLogic.h"
#include "outside/win32/Handles.h"

namespace support {

class ucButton {
public:
    static constexpr wchar_t kClassName[] = L"QuilletPictureButton";

    // A visible child window; throws RuntimeError when it cannot be made.
    static ucButton* Create(HWND parent, int id, int x, int y, int cx, int cy);
    // The button object of a window of this class, else null.
    static ucButton* FromHandle(HWND window);

    HWND Handle() const { return hwnd_; }

    outside::ComPtr<IPicture> Picture() const { return picture_; }
    // Null for none. Throws RuntimeError 383 in design mode and 5 for a picture
    // that is not a bitmap; nothing changes then. Does not repaint.
    void SetPicture(outside::ComPtr<IPicture> picture);
    // Size of the picture's bitmap in pixels, 0 without picture.
    int PictureWidth() const { return pictureWidth_; }
    int PictureHeight() const { return pictureHeight_; }

    // Reports a click when the button is enabled; nothing when disabled.
    void ClickMe();

    // The tool tip shown over the button; empty shows none. The caption
    // becomes the tip without its surrounding blanks.
    void SetToolTip(const std::string& text);
    std::string ToolTip() const;
    HWND ToolTipWindow() const { return toolTip_.get(); }
    // The button's name (its window text), for a button that shows no tip.
    void SetCaption(const std::string& text);
    std::string Caption() const;

    // In design mode the picture cannot be set (the host's design surface).
    void SetDesignMode(bool designMode) { designMode_ = designMode; }
    bool DesignMode() const { return designMode_; }

    // True while the face is drawn sunken.
    bool Pressed() const { return mouse_.Pressed(); }

private:
    ucButton() = default;
    ~ucButton() = default;
    ucButton(const ucButton&) = delete;
    ucButton& operator=(const ucButton&) = delete;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Paints the kept image and shows it at once.
    void Redraw(bool pressed);
    void RenderFace(bool pressed);
    void PaintFace(HDC dc);
    // Applies a mouse reaction; the click goes last, as its handler may destroy the button.
    void React(const MouseReaction& reaction);
    void RaiseClick();

    HWND hwnd_ = nullptr;
    outside::ComPtr<IPicture> picture_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    bool designMode_ = false;
    PictureButtonMouse mouse_;
    outside::UniqueGdiObject face_;  // the kept image of the face
    SIZE faceSize_{};
    outside::UniqueWindow toolTip_;
};

}  // namespace support
