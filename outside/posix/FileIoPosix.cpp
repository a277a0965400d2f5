#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "../TextFile.h"
#include "PosixError.h"

namespace outside {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

}  // namespace

namespace {

Fd OpenForReading(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw ErrnoError(errno, path);
    return fd;
}

size_t ReadSome(int fd, char* into, size_t size, const std::string& path) {
    for (;;) {
        const ssize_t n = ::read(fd, into, size);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) throw ErrnoError(errno, path);
    }
}

}  // namespace

std::string ReadFileBytes(const std::string& path, uint64_t maxBytes) {
    Fd fd = OpenForReading(path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw ErrnoError(errno, path);
    if (S_ISDIR(st.st_mode)) throw ErrnoError(EISDIR, path);
    if (static_cast<uint64_t>(st.st_size) > maxBytes)
        throw FileTooLargeError(static_cast<unsigned long long>(st.st_size), maxBytes);
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    char probe[4096];
    for (;;) {
        // Only a file that grew while read grows the buffer: a full buffer is
        // probed with a small one first, so reading never doubles the memory.
        const bool full = got == bytes.size();
        const size_t n = full ? ReadSome(fd.get(), probe, sizeof probe, path)
                              : ReadSome(fd.get(), bytes.data() + got, bytes.size() - got, path);
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
    Fd fd = OpenForReading(path);
    for (;;) {
        const size_t n = ReadSome(fd.get(), buffer.data(), buffer.size(), path);
        if (n == 0 || !take(std::string_view(buffer.data(), n))) return;
    }
}

void ReplaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) throw ErrnoError(errno, to);
}

bool RemoveFile(const std::string& path) noexcept { return ::unlink(path.c_str()) == 0; }

namespace {

// 0 when all was written, else the errno.
int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

void OverwriteFileTail(const std::string& path, uint64_t expectedSize, uint64_t offset, std::string_view bytes) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) throw FileChangedError(path);
        throw ErrnoError(errno, path);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw ErrnoError(errno, path);
    if (static_cast<uint64_t>(st.st_size) != expectedSize || offset > expectedSize) throw FileChangedError(path);
    if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0) throw ErrnoError(errno, path);
    if (const int err = WriteAll(fd.get(), bytes)) throw ErrnoError(err, path);
    if (::ftruncate(fd.get(), static_cast<off_t>(offset + bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        throw ErrnoError(errno, path);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable) {
    const std::string temp = TemporaryNameFor(path);
    {
        Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (fd.get() < 0) throw ErrnoError(errno, path);
        int err = WriteAll(fd.get(), bytes);
        if (err == 0 && durable && ::fsync(fd.get()) != 0) err = errno;
        if (err != 0) {
            RemoveFile(temp);
            throw ErrnoError(err, path);
        }
        if (::close(fd.release()) != 0) {
            const int closeError = errno;
            RemoveFile(temp);
            throw ErrnoError(closeError, path);
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
