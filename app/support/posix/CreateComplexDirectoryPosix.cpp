// The file-system part of nested directory creation on POSIX: no network form
// and no long-path prefix.
#include <sys/stat.h>

#include "../modCreateComplexDirectory.h"

namespace modCreateComplexDirectory {

bool IsExistingDirectory(const std::string& path, bool, bool) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateOneDirectory(const std::string& path, bool, bool) { return ::mkdir(path.c_str(), 0777) == 0; }

}  // namespace modCreateComplexDirectory
