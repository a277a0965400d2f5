#include <windows.h>

#include <algorithm>

#include "../Support.h"
#include "../TextFile.h"
#include "Handles.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {

namespace {

// Share everything: a reader must never stand in the way of a writer or a sync service.
UniqueHandle OpenForReading(const std::string& path) {
    UniqueHandle file(::CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw LastError(path);
    return file;
}

size_t ReadSome(HANDLE file, char* into, size_t size, const std::string& path) {
    DWORD n = 0;
    if (!::ReadFile(file, into, static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), &n, nullptr))
        throw LastError(path);
    return n;
}

}  // namespace

std::string ReadFileBytes(const std::string& path, uint64_t maxBytes) {
    UniqueHandle file = OpenForReading(path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) throw LastError(path);
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes)
        throw FileTooLargeError(static_cast<unsigned long long>(size.QuadPart), maxBytes);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t got = 0;
    char probe[4096];
    for (;;) {
        // Only a file that grew while read grows the buffer: a full buffer is
        // probed with a small one first, so reading never doubles the memory.
        const bool full = got == bytes.size();
        const size_t n = full ? ReadSome(file.get(), probe, sizeof probe, path)
                              : ReadSome(file.get(), bytes.data() + got, bytes.size() - got, path);
        if (n == 0) break;
        if (full) bytes.append(probe, n);
        got += n;
        if (got > maxBytes) throw FileTooLargeError(got, maxBytes);
    }
    bytes.resize(got);
    return bytes;
}

void ReadFilePieces(const std::string& path, std::string& buffer,
                    const std::function<bool(std::string_view piece)>& take) {
    UniqueHandle file = OpenForReading(path);
    for (;;) {
        const size_t n = ReadSome(file.get(), buffer.data(), buffer.size(), path);
        if (n == 0 || !take(std::string_view(buffer.data(), n))) return;
    }
}

void ReplaceFile(const std::string& from, const std::string& to) {
    // Windows refuses to replace a file that someone has open, even one that
    // shares deleting (the logs viewer reading a log, a virus scanner): such a
    // hold lasts moments, so the rename is tried again for a little while.
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(W(from).c_str(), W(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return;
        const DWORD err = ::GetLastError();
        if (attempt == kAttempts || (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION)) throw LastError(to);
        ::Sleep(kPauseMs);
    }
}

bool RemoveFile(const std::string& path) noexcept { return ::DeleteFileW(W(path).c_str()) != FALSE; }

namespace {

void WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &n, nullptr)) throw LastError(path);
        done += n;
    }
}

}  // namespace

void OverwriteFileTail(const std::string& path, uint64_t expectedSize, uint64_t offset, std::string_view bytes) {
    // Readers (the logs viewer) may look at the file meanwhile; nobody else writes it.
    UniqueHandle file(::CreateFileW(W(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) throw FileChangedError(path);
        throw Win32Error(err, path);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) throw LastError(path);
    if (static_cast<uint64_t>(size.QuadPart) != expectedSize || offset > expectedSize) throw FileChangedError(path);
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) throw LastError(path);
    WriteAll(file.get(), bytes, path);
    if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get())) throw LastError(path);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable) {
    const std::string temp = TemporaryNameFor(path);
    {
        UniqueHandle file(::CreateFileW(W(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw LastError(path);
        try {
            WriteAll(file.get(), bytes, path);
            if (durable && !::FlushFileBuffers(file.get())) throw LastError(path);
        } catch (...) {
            file.reset();
            RemoveFile(temp);
            throw;
        }
    }
    try {
        ReplaceFile(temp, path);
    } catch (...) {
        RemoveFile(temp);
        throw;
    }
}

}  // namespace outside
