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

std::string ReadFileBytes(const std::string& path, uint64_t maxBytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw ErrnoError(errno, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw ErrnoError(errno, path);
    if (S_ISDIR(st.st_mode)) throw ErrnoError(EISDIR, path);
    if (static_cast<uint64_t>(st.st_size) > maxBytes)
        throw FileTooLargeError(static_cast<unsigned long long>(st.st_size), maxBytes);
    std::string bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(got + 4096);  // the file may have grown
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrnoError(errno, path);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
        if (got > maxBytes)
            throw FileTooLargeError(got, maxBytes);
    }
    bytes.resize(got);
    return bytes;
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
