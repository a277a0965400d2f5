// A plain top-level window with a caption; closing it ends the program. Used
// where a later window of the program is not built yet.
#pragma once

#include <windows.h>

#include <string>

namespace startup {

HWND ShowStandInWindow(const std::string& caption);

}  // namespace startup
