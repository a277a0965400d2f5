// The program's identity: product title, version number and version text.
#pragma once

#include <string>

namespace modFormatVersion {

inline constexpr const char* kProductTitle = "Torvane - Quillet";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 9;
inline constexpr int kVersionRevision = 129;
inline constexpr const char* kLegalNotice =
    "© Greyfen Works. Программа распространяется «как есть», без каких-либо гарантий.";

// major "." minor (at least 2 digits) "." revision (at least 4 digits).
std::string FormatVersion(int major = kVersionMajor, int minor = kVersionMinor, int revision = kVersionRevision);
// Title, blank, version, CR LF, legal notice.
std::string VersionText();
// The about box's text: the version text and the program's dedication.
std::string AboutText();

}  // namespace modFormatVersion
