#include <windows.h>

#include "../CommandLine.h"
#include "Wide.h"

namespace outside {

void SetProcessArguments(std::vector<std::string>) {}

CommandLineArgs CommandLineArgs::FromProcess() { return Parse(U8(::GetCommandLineW()), true); }

}  // namespace outside
