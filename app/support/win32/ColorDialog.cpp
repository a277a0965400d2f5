#include "ColorDialog.h"

#include <commdlg.h>

#include "outside/RuntimeError.h"

namespace support {

ColorDialog::ColorDialog() { custom_.fill(kUnsetCustomColor); }

bool ColorDialog::Show() {
    COLORREF custom[kCustomColorCount];
    for (size_t i = 0; i < kCustomColorCount; ++i) custom[i] = custom_[i];
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner_;
    cc.rgbResult = color_;
    cc.lpCustColors = custom;
    // Open in full, so custom colours can be mixed at once.
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    const BOOL confirmed = ::ChooseColorW(&cc);
    // The dialog hands back its custom colours whichever way it closed.
    for (size_t i = 0; i < kCustomColorCount; ++i) custom_[i] = custom[i] & 0x00FFFFFF;
    if (!confirmed) {
        if (const DWORD error = ::CommDlgExtendedError())
            throw outside::RuntimeError(outside::kErrInvalidCall,
                                        "Не удалось открыть диалог выбора цвета (код " + std::to_string(error) + ").",
                                        "ColorDialog");
        return false;
    }
    color_ = cc.rgbResult & 0x00FFFFFF;
    return true;
}

}  // namespace support
