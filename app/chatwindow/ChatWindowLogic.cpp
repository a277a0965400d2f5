#include "ChatWindowLogic.h"

#include <cstddef>

namespace chatwindow {

ChatLayout LayoutChatWindow(int width, int height) {
    ChatLayout l{};
    l.nameLabel = {120, 105, 1020, 210};
    l.logLabel = {120, 480, 2205, 210};
    const int messageHeight = 735;
    l.message = {60, height - 60 - messageHeight, width - 120, messageHeight};
    l.log = {60, 780, width - 120, height - 780 - 30 - messageHeight - 60};
    for (int k = 1; k <= kButtonCount; ++k) {
        // k counts from the right: the exit button is the first.
        l.buttons[static_cast<size_t>(kButtonCount - k)] = {width - k * kButtonSize - (k - 1) * 30 - 60, 60, kButtonSize,
                                                            kButtonSize};
    }
    const int userLeft = 1260;
    l.userName = {userLeft, 60, width - userLeft - 60 - kButtonCount * kButtonSize - 120 - 60, 315};
    return l;
}

HotKeyAction HotKeyFor(int vk, Modifiers m) {
    const bool none = !m.shift && !m.ctrl && !m.alt;
    const bool shiftOnly = m.shift && !m.ctrl && !m.alt;
    const bool ctrlOnly = m.ctrl && !m.shift && !m.alt;
    switch (vk) {
        case kVkF1: return none ? HotKeyAction::ReadMe : shiftOnly ? HotKeyAction::About : HotKeyAction::None;
        case kVkEscape: return none ? HotKeyAction::Hide : shiftOnly ? HotKeyAction::Exit : HotKeyAction::None;
        case kVkF9:
            return none ? HotKeyAction::GlobalSettings : shiftOnly ? HotKeyAction::LocalSettings : HotKeyAction::None;
        case kVkL: return ctrlOnly ? HotKeyAction::Logs : HotKeyAction::None;
        case kVk0: return ctrlOnly ? HotKeyAction::MakeTransparent : HotKeyAction::None;
        case kVkO: return ctrlOnly ? HotKeyAction::SendFile : HotKeyAction::None;
        default: return HotKeyAction::None;
    }
}

bool KeyMakesCharacter(int vk, Modifiers m) {
    if (m.alt) return false;
    if (vk == kVkReturn || vk == kVkEscape) return true;
    return m.ctrl && vk >= 'A' && vk <= 'Z';
}

bool IsSendKey(int vk, Modifiers m, bool sendOnEnter) {
    if (vk != kVkReturn || m.alt || m.shift) return false;
    return sendOnEnter ? !m.ctrl : m.ctrl;
}

}  // namespace chatwindow
