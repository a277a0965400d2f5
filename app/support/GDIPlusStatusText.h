// The text of a GDI+ status code, as picture-loading errors report it.
#pragma once

#include <string>

namespace modGDIPlusLoadAndSave {

// "Generic error" for 1 and so on; "Unknown error " + the code for codes
// beyond the known ones.
std::string GDIPlusStatusText(long status);

}  // namespace modGDIPlusLoadAndSave
