#include <windows.h>

#include "../MessageBoxes.h"
#include "../ProductIdentity.h"
#include "Wide.h"
#include "WindowSupport.h"

namespace outside {

int MsgBox(const std::string& text, int style) {
    return ::MessageBoxW(esGetThunderMainHandle(), W(text).c_str(), W(TheProductIdentity().title).c_str(),
                         static_cast<UINT>(style) | MB_SETFOREGROUND);
}

}  // namespace outside
