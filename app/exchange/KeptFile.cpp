#include "KeptFile.h"

#include "app/support/modCreateComplexDirectory.h"
#include "outside/Folder.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {
namespace {

std::string ErrorLine(const outside::RuntimeError& e) {
    return "Ошибка " + outside::asGetErrorNumber(e.Number()) + ": " + e.Description();
}

}  // namespace

std::optional<std::string> KeptFile::Read() {
    if (state_ == State::Read) return std::string();
    if (path_.empty()) {
        state_ = State::Read;
        return std::string();
    }
    try {
        std::string bytes = outside::ReadFileBytes(path_, maxBytes_);
        state_ = State::Read;
        size_ = bytes.size();
        onDisk_ = true;
        return bytes;
    } catch (const outside::RuntimeError& e) {
        // Only a file that is not there at all is a fresh start.
        if (!outside::esIsFileExist(path_) && !outside::IsFolder(path_)) {
            state_ = State::Read;
            return std::string();
        }
        state_ = State::Unreadable;
        lastError_ = ErrorLine(e);
        return std::nullopt;
    }
}

bool KeptFile::Replace(std::string_view bytes) {
    if (state_ != State::Read) return false;
    if (path_.empty()) return true;
    // The write below says whether the folder is there.
    modCreateComplexDirectory::CreateComplexDirectory(outside::esGetFilePath(path_), false);
    try {
        outside::WriteFileAtomically(path_, bytes, true);
    } catch (const outside::RuntimeError& e) {
        lastError_ = ErrorLine(e);
        return false;
    }
    size_ = bytes.size();
    onDisk_ = true;
    return true;
}

bool KeptFile::Append(std::string_view bytes) {
    if (state_ != State::Read || !onDisk_) return false;
    if (path_.empty() || bytes.empty()) return true;
    try {
        outside::OverwriteFileTail(path_, size_, size_, bytes);
    } catch (const outside::RuntimeError& e) {
        lastError_ = ErrorLine(e);
        return false;
    }
    size_ += bytes.size();
    return true;
}

}  // namespace exchange
