#include "RuntimeError.h"

#include <utility>

namespace outside {

RuntimeError::RuntimeError(long number, std::string description, std::string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {}

long ErrorNumberFromWin32(unsigned long code) noexcept {
    if (code == 0 || (code & 0x80000000UL)) return static_cast<long>(static_cast<int>(code));
    return static_cast<long>(static_cast<int>((code & 0xFFFFUL) | 0x80070000UL));
}

RuntimeError FileTooLargeError(unsigned long long size, unsigned long long limit) {
    const std::string mib = std::to_string(limit / (1024 * 1024));
    return RuntimeError(kErrFileTooLarge, "Файл слишком велик (" + std::to_string(size) + " байт): файлы больше " + mib +
                                              " МиБ (" + std::to_string(limit) + " байт) не читаются.");
}

}  // namespace outside
