// The program's identity: product title, version number and version text.
#pragma once

#include <string>

namespace modFormatVersion {

// "Torvane - Quillet", from the program's version resource.
std::string ProductTitle();
// major "." minor (at least 2 digits) "." revision (at least 4 digits).
std::string FormatVersion(int major, int minor, int revision);
// The program's own version, from its version resource.
std::string FormatVersion();
// Title, blank, version, CR LF, legal notice.
std::string VersionText();
// The about box's text: the version text and the program's dedication.
std::string AboutText();

}  // namespace modFormatVersion
