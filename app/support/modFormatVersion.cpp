#include "modFormatVersion.h"

#include <cstdio>

#include "outside/ProductIdentity.h"

namespace modFormatVersion {

std::string FormatVersion(int major, int minor, int revision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d.%02d.%04d", major, minor, revision);
    return buffer;
}

std::string ProductTitle() { return outside::TheProductIdentity().title; }

std::string FormatVersion() {
    const auto& identity = outside::TheProductIdentity();
    return FormatVersion(identity.major, identity.minor, identity.revision);
}

std::string VersionText() {
    return ProductTitle() + " " + FormatVersion() + "\r\n" + outside::TheProductIdentity().legal;
}

std::string AboutText() {
    return VersionText() + "\r\n\r\n" + "Тем, кто пишет друг другу, даже когда сервера нет.";
}

}  // namespace modFormatVersion
