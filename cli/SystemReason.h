// Failures in the words Unix tools use ("Permission denied"), in English
// whatever language the program's own errors speak.
#pragma once

#include <string>

#include "outside/RuntimeError.h"

namespace cli {

// The reason of a Windows error code; empty for one not in the list.
std::string Win32Reason(unsigned long code);
// The reason of a run-time error of the program's outside components: the
// system's words for an operating-system failure, its description otherwise.
std::string SystemReason(const outside::RuntimeError& error);

}  // namespace cli
