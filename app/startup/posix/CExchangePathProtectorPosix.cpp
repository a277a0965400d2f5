// The folder claim as an advisory lock on a per-user lock file named after the
// guard name; the system drops it when the process ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "../CExchangePathProtector.h"

namespace startup {
namespace {

std::string LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = (runtime && *runtime) ? std::string(runtime) + "/quillet"
                                               : "/tmp/quillet-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

std::string LockFileName(const std::string& guardName) {
    // "/" never appears (it became "?"); long names get a hash so they fit a file name.
    if (guardName.size() <= 200) return guardName + ".lock";
    return guardName.substr(0, 160) + "-" + std::to_string(std::hash<std::string>{}(guardName)) + ".lock";
}

}  // namespace

struct CExchangePathProtector::Claim {
    int fd = -1;
    ~Claim() {
        if (fd >= 0) ::close(fd);
    }
};

CExchangePathProtector::CExchangePathProtector() = default;
CExchangePathProtector::~CExchangePathProtector() = default;

bool CExchangePathProtector::IsPathProtected(const std::string& folderPath) {
    claim_.reset();
    const std::string path = LockFolder() + "/" + LockFileName(FolderGuardName(folderPath));
    claim_ = std::make_unique<Claim>();
    claim_->fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (claim_->fd < 0) return errno == EACCES;
    if (::flock(claim_->fd, LOCK_EX | LOCK_NB) == 0) return false;
    return errno == EWOULDBLOCK;
}

}  // namespace startup
