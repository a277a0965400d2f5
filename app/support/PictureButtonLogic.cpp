#include "PictureButtonLogic.h"

namespace support {

PictureOrigin CentrePicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    // C++ division truncates toward zero, as the original integer division did.
    return {(clientWidth - pictureWidth) / 2, (clientHeight - pictureHeight) / 2};
}

MouseReaction PictureButtonMouse::ButtonDown(MouseButton button, bool doubleClick) {
    pressed_ = true;
    MouseReaction reaction{true, true, false};
    if (button == MouseButton::Left) {
        // The first press waits for its release; the double-click press is a click at once.
        leftArmed_ = !doubleClick;
        reaction.click = doubleClick;
    }
    return reaction;
}

MouseReaction PictureButtonMouse::ButtonUp(MouseButton button, bool inside) {
    pressed_ = false;
    MouseReaction reaction{true, false, false};
    if (button == MouseButton::Left) {
        reaction.click = leftArmed_ && inside;
        leftArmed_ = false;
    }
    return reaction;
}

MouseReaction PictureButtonMouse::CaptureLost() {
    leftArmed_ = false;
    if (!pressed_) return {};
    pressed_ = false;
    return {true, false, false};
}

}  // namespace support
