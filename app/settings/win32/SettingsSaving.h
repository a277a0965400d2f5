// What both settings windows do when their values cannot be stored: say so,
// with the reason, rather than look as if all went well.
#pragma once

#include "outside/MessageBoxes.h"

namespace settings {

inline constexpr char kSettingsNotSavedText[] = "Не удалось сохранить настройки.";

// Runs save (writes to the settings store); a failure is shown over the
// window the user is in. True when everything was written.
template <class Save>
bool SaveOrReport(Save&& save) {
    try {
        save();
        return true;
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, kSettingsNotSavedText);
        return false;
    }
}

}  // namespace settings
