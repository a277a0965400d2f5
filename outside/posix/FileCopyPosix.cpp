#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "../FileCopy.h"
#include "../RuntimeError.h"
#include "../TextFile.h"
#include "PosixError.h"

namespace outside {
namespace {

constexpr size_t kChunk = 1u << 20;

struct Descriptor {
    int fd;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

int OpenForReading(const std::string& path, uint64_t* size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw ErrnoError(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = errno;
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        if (folder) throw RuntimeError(kErrPathFileAccess, "Это папка, а не файл (" + path + ")");
        throw ErrnoError(err, path);
    }
    if (size) *size = static_cast<uint64_t>(st.st_size);
    return fd;
}

}  // namespace

uint64_t ReadableFileSize(const std::string& path) {
    uint64_t size = 0;
    const Descriptor file(OpenForReading(path, &size));
    return size;
}

uint64_t CopyFileAtomically(const std::string& from, const std::string& to) {
    const Descriptor source(OpenForReading(from, nullptr));
    const std::string temp = TemporaryNameFor(to);
    uint64_t copied = 0;
    try {
        Descriptor target(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (target.fd < 0) throw ErrnoError(errno, to);
        std::vector<char> buffer(kChunk);
        for (;;) {
            const ssize_t got = ::read(source.fd, buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) continue;
                throw ErrnoError(errno, from);
            }
            if (got == 0) break;
            for (ssize_t done = 0; done < got;) {
                const ssize_t n = ::write(target.fd, buffer.data() + done, static_cast<size_t>(got - done));
                if (n < 0) {
                    if (errno == EINTR) continue;
                    throw ErrnoError(errno, to);
                }
                done += n;
            }
            copied += static_cast<uint64_t>(got);
        }
        if (::fsync(target.fd) != 0) throw ErrnoError(errno, to);
        const int fd = target.fd;
        target.fd = -1;
        if (::close(fd) != 0) throw ErrnoError(errno, to);
        // Never over an existing file: link fails where one is there.
        if (::link(temp.c_str(), to.c_str()) != 0) {
            const int err = errno;
            if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != EXDEV) throw ErrnoError(err, to);
            // A file system without hard links.
            if (::access(to.c_str(), F_OK) == 0) throw ErrnoError(EEXIST, to);
            if (::rename(temp.c_str(), to.c_str()) != 0) throw ErrnoError(errno, to);
        }
        ::unlink(temp.c_str());
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    return copied;
}

}  // namespace outside
