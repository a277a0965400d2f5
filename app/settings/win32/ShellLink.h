// Writes a Windows shell link (.lnk) through the wide shell-link interface,
// so that paths outside the ANSI code page survive.
#pragma once

#include <string>

namespace settings {

struct ShellLinkSpec {
    std::string linkPath;
    std::string target;
    std::string workingFolder;  // empty: not set
    std::string arguments;      // empty: not set
    std::string iconFile;       // empty: not set
    int iconIndex = 0;
    int showCommand = 10;  // SW_SHOWDEFAULT
};

// Does nothing when the link path or the target is empty. Throws RuntimeError
// when a step fails; a link that was being replaced may then be left as it was.
void WriteShellLink(const ShellLinkSpec& shortcut);

}  // namespace settings
