// The picture button's arithmetic and mouse rules, apart from its window:
// where the picture goes, when the face sinks and when a click is reported.
#pragma once

namespace support {

struct PictureOrigin {
    int x = 0;
    int y = 0;
    bool operator==(const PictureOrigin&) const = default;
};

// Top-left corner of a picture centred in the client area. Halves truncate
// toward zero, so an odd difference leaves the extra pixel right and bottom,
// and a picture larger than the button starts left of or above the client
// area (the window clips it).
PictureOrigin CentrePicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

enum class MouseButton { Left, Right, Middle, Other };

// What a mouse message asks of the button.
struct MouseReaction {
    bool redraw = false;   // paint the face again...
    bool pressed = false;  // ...sunken (true) or raised
    bool click = false;    // then report a click
    bool operator==(const MouseReaction&) const = default;
};

// Any button down sinks the face and any button up raises it. A left press
// released over the button is a click; the second press of a double click is
// a click of its own, so a double click gives two.
class PictureButtonMouse {
public:
    MouseReaction ButtonDown(MouseButton button, bool doubleClick);
    MouseReaction ButtonUp(MouseButton button, bool inside);
    // Capture taken away (another window, a dialog, disabling): raise the
    // face and forget the press.
    MouseReaction CaptureLost();
    bool Pressed() const { return pressed_; }

private:
    bool pressed_ = false;
    bool leftArmed_ = false;
};

}  // namespace support
