// The notices the readers show when a file cannot be read or understood.
#pragma once

#include <string>

#include "outside/RuntimeError.h"

namespace exchange {

// "<reader>() ==> Не удалось прочитать файл. Пока пропускаем. " CR LF "Ошибка N: ..." CR LF path
std::string ReadFailureNotice(const std::string& reader, const outside::RuntimeError& error, const std::string& path);
// "Не удалось обработать полученное сообщение" + step + "." CR LF "Ошибка N: ..." CR LF path
std::string BrokenNotice(const std::string& step, const outside::RuntimeError& error, const std::string& path);

}  // namespace exchange
