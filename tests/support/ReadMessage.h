// Reads one message file with the reader its extension names.
#pragma once

#include <string>

#include "app/exchange/MessageFiles.h"
#include "outside/Support.h"

namespace testsupport {

inline exchange::DispatchResult ReadMessageFile(const std::string& path, exchange::IMessageDisplay& display,
                                                const std::string& mineGuid) {
    const std::string ext = outside::esGetFileExtension(path);
    if (ext == exchange::kBinaryExtension) return exchange::DispatchMessage_Binary(path, display, mineGuid);
    if (ext == exchange::kXmlExtension) return exchange::DispatchMessage_XML(path, display, mineGuid);
    return exchange::DispatchMessage_Text(path, display);
}

}  // namespace testsupport
