#include "modFormatVersion.h"

#include <cstdio>

namespace modFormatVersion {

std::string FormatVersion(int major, int minor, int revision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d.%02d.%04d", major, minor, revision);
    return buffer;
}

std::string VersionText() { return std::string(kProductTitle) + " " + FormatVersion() + "\r\n" + kLegalNotice; }

std::string AboutText() {
    return VersionText() + "\r\n\r\n" + "Тем, кто пишет друг другу, даже когда сервера нет.";
}

}  // namespace modFormatVersion
