#include "SystemReason.h"

namespace cli {

std::string Win32Reason(unsigned long code) {
    switch (code) {
        case 2:     // ERROR_FILE_NOT_FOUND
        case 3:     // ERROR_PATH_NOT_FOUND
        case 161:   // ERROR_BAD_PATHNAME
            return "No such file or directory";
        case 5:     // ERROR_ACCESS_DENIED
        case 1314:  // ERROR_PRIVILEGE_NOT_HELD
            return "Permission denied";
        case 19: return "Read-only file system";  // ERROR_WRITE_PROTECT
        case 32:                                   // ERROR_SHARING_VIOLATION
        case 33: return "Device or resource busy"; // ERROR_LOCK_VIOLATION
        case 39:                                   // ERROR_HANDLE_DISK_FULL
        case 112: return "No space left on device";  // ERROR_DISK_FULL
        case 80:                                   // ERROR_FILE_EXISTS
        case 183: return "File exists";            // ERROR_ALREADY_EXISTS
        case 109:                                  // ERROR_BROKEN_PIPE
        case 232: return "Broken pipe";            // ERROR_NO_DATA
        case 206: return "File name too long";     // ERROR_FILENAME_EXCED_RANGE
        case 267: return "Not a directory";        // ERROR_DIRECTORY
        case 1117:                                 // ERROR_IO_DEVICE
        case 23: return "Input/output error";      // ERROR_CRC
        case 8:                                    // ERROR_NOT_ENOUGH_MEMORY
        case 14: return "Cannot allocate memory";  // ERROR_OUTOFMEMORY
        case 53:                                   // ERROR_BAD_NETPATH
        case 64:                                   // ERROR_NETNAME_DELETED
        case 67: return "Network is unreachable";  // ERROR_BAD_NET_NAME
        default: return {};
    }
}

std::string SystemReason(const outside::RuntimeError& error) {
    const auto number = static_cast<unsigned long>(error.Number());
    if ((number & 0xFFFF0000UL) == 0x80070000UL)
        if (std::string reason = Win32Reason(number & 0xFFFFUL); !reason.empty()) return reason;
    switch (error.Number()) {
        case outside::kErrFileTooLarge: return "File too large";
        case outside::kErrOutOfMemory: return "Cannot allocate memory";
        case outside::kErrFileNotFound: return "No such file or directory";
        case outside::kErrPermissionDenied: return "Permission denied";
        default: break;
    }
    // The system's own words where the outside layer keeps them (POSIX:
    // strerror and " (path)", which the caller names itself).
    std::string description = error.Description();
    const size_t at = description.rfind(" (");
    if (at != std::string::npos && description.back() == ')' &&
        description.find_first_of("/\\", at) != std::string::npos)
        description.erase(at);
    return description;
}

}  // namespace cli
