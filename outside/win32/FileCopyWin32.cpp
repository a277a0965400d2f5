#include <windows.h>

#include <vector>

#include "../FileCopy.h"
#include "../RuntimeError.h"
#include "../TextFile.h"
#include "Handles.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

constexpr DWORD kChunk = 1u << 20;

RuntimeError FolderError(const std::string& path) {
    return RuntimeError(kErrPathFileAccess, "Это папка, а не файл (" + path + ")");
}

// Shares everything: the file may be open in the program that made it.
UniqueHandle OpenForReading(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) throw FolderError(path);
    UniqueHandle file(::CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw LastError(path);
    return file;
}

}  // namespace

uint64_t ReadableFileSize(const std::string& path) {
    const UniqueHandle file = OpenForReading(path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) throw LastError(path);
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t CopyFileAtomically(const std::string& from, const std::string& to) {
    const UniqueHandle source = OpenForReading(from);
    const std::string temp = TemporaryNameFor(to);
    uint64_t copied = 0;
    try {
        UniqueHandle target(::CreateFileW(W(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!target) throw LastError(to);
        std::vector<char> buffer(kChunk);
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(source.get(), buffer.data(), kChunk, &got, nullptr)) throw LastError(from);
            if (got == 0) break;
            DWORD written = 0;
            if (!::WriteFile(target.get(), buffer.data(), got, &written, nullptr) || written != got)
                throw LastError(to);
            copied += got;
        }
        if (!::FlushFileBuffers(target.get())) throw LastError(to);
        target.reset();
        if (!::MoveFileExW(W(temp).c_str(), W(to).c_str(), MOVEFILE_WRITE_THROUGH)) throw LastError(to);
    } catch (...) {
        RemoveFile(temp);
        throw;
    }
    return copied;
}

}  // namespace outside
