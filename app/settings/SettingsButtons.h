// OK, Cancel and Apply: the same in both settings windows but for their top.
#pragma once

#include "app/support/FormDesign.h"

namespace settings {

enum class CommandButton { Ok = 0, Cancel, Apply };
inline constexpr char kOkCaption[] = "Ok";
inline constexpr char kCancelCaption[] = "Отмена";
inline constexpr char kApplyCaption[] = "Применить";
inline support::TwipsRect CommandButtonRect(CommandButton button, int top) {
    return {1500 + 1500 * static_cast<int>(button), top, 1395, 435};
}

}  // namespace settings
