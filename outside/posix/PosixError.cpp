#include "PosixError.h"

#include <cerrno>
#include <cstring>

namespace outside {

RuntimeError ErrnoError(int err, const std::string& path) {
    unsigned long code = 31;  // ERROR_GEN_FAILURE
    std::string text;
    switch (err) {
        case ENOENT: code = 2; text = "Не удается найти указанный файл."; break;
        case ENOTDIR: code = 3; text = "Системе не удается найти указанный путь."; break;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: code = 5; text = "Отказано в доступе."; break;
        case EBUSY:
        case ETXTBSY: code = 32; text = "Процесс не может получить доступ к файлу, так как этот файл занят другим процессом."; break;
        case EEXIST: code = 80; text = "Файл существует."; break;
        case ENOSPC: code = 112; text = "Недостаточно места на диске."; break;
        case ENAMETOOLONG: code = 206; text = "Имя файла или его расширение имеет неверную длину."; break;
        default: text = std::strerror(err); break;
    }
    if (!path.empty()) text += " (" + path + ")";
    return RuntimeError(ErrorNumberFromWin32(code), text);
}

}  // namespace outside
