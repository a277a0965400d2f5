// errno as a run-time error with the same numbers the Windows side gives
// (HRESULT of the matching Win32 code) and a Russian description.
#pragma once

#include <string>

#include "../RuntimeError.h"

namespace outside {

RuntimeError ErrnoError(int err, const std::string& path = {});

}  // namespace outside
