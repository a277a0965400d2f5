#include <dirent.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/vfs.h>
#elif defined(__APPLE__)
#include <sys/mount.h>
#include <sys/param.h>
#endif

#include <cstring>
#include <memory>

#include "../ChatFolderListing.h"
#include "outside/Support.h"

namespace exchange {

std::optional<ChatFolderListing> ListChatFolder(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return std::nullopt;
    ChatFolderListing listing;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        // Dot files are a sync service's own (".stfolder", ".syncthing.*.tmp") or the senders' temporaries.
        if (name.empty() || name[0] == '.') continue;
        if (entry->d_type == DT_DIR) continue;
        const std::string path = outside::esBuildFileName2(folder, name);
        if (entry->d_type != DT_REG) {
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        AddToListing(listing, name);
    }
    return listing;
}

bool IsNetworkFolder(const std::string& folder) {
#if defined(__linux__)
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969UL:      // NFS
        case 0x517BUL:      // SMB
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2
        case 0x5346414FUL:  // AFS
        case 0x73757245UL:  // Coda
        case 0x00C36400UL:  // Ceph
            return true;
        default:
            return false;
    }
#elif defined(__APPLE__)
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return false;
    for (const char* type : {"nfs", "smbfs", "afpfs", "webdav", "cifs"})
        if (std::strcmp(fs.f_fstypename, type) == 0) return true;
    return false;
#else
    (void)folder;
    return false;
#endif
}

}  // namespace exchange
