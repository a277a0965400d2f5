#include "ReaderNotices.h"

#include "outside/Support.h"

namespace exchange {
namespace {
std::string ErrorLine(const outside::RuntimeError& error) {
    return "Ошибка " + outside::asGetErrorNumber(error.Number()) + ": " + error.Description();
}
}  // namespace

std::string ReadFailureNotice(const std::string& reader, const outside::RuntimeError& error, const std::string& path) {
    return reader + "() ==> " + "Не удалось прочитать файл. Пока пропускаем. " + "\r\n" + ErrorLine(error) + "\r\n" +
           path;
}

std::string BrokenNotice(const std::string& step, const outside::RuntimeError& error, const std::string& path) {
    return "Не удалось обработать полученное сообщение" + step + "." + "\r\n" + ErrorLine(error) + "\r\n" + path;
}

}  // namespace exchange
