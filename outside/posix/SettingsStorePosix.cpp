// The settings store in an INI-style file: $XDG_CONFIG_HOME (or ~/.config)
// /greyfen-works/quillet.ini. Keys above the first header belong to the empty
// section:
//
//   My GUID="{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"
//   Send on Enter=0
//
//   [Icon Style\Tray]
//   /home/ann/Chats/Семья.ZPMFChat=3
//
// Texts are quoted, numbers are bare decimals: the two kinds of the registry
// (REG_SZ, REG_DWORD), so a value of the other kind reads as the default here
// too. In section names, keys and texts "%XX" stands for any byte that cannot
// stand as itself (a "%", control characters, "=" in a key, blanks at the
// edges), so everything round-trips exactly. Damaged lines are skipped (and
// gone after the next write); a damaged section header hides the lines under
// it rather than moving them into the section above. Writes lock the folder,
// re-read the file and replace it atomically, so two programs writing at once
// do not lose each other's keys.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "../RuntimeError.h"
#include "../SettingsStore.h"
#include "../Support.h"
#include "../TextFile.h"
#include "PosixError.h"
#include "SettingsIni.h"

namespace outside {
namespace {

using namespace ini;

constexpr uint64_t kMaxStoreBytes = 64u * 1024u * 1024u;

std::string StoreFolder() {
    std::string config;
    if (const char* v = std::getenv("XDG_CONFIG_HOME"); v && *v == '/') {
        config = v;
    } else {
        const char* home = std::getenv("HOME");
        config = esBuildFileName2((home && *home) ? home : "/tmp", ".config");
    }
    return esBuildFileName2(config, "greyfen-works");
}

std::string StoreFile() { return esBuildFileName2(StoreFolder(), "quillet.ini"); }

// strict: a file that exists but cannot be read throws (a write must not
// replace settings it could not read); otherwise it reads as empty.
Document LoadDocument(bool strict) {
    try {
        return Parse(ReadFileBytes(StoreFile(), kMaxStoreBytes));
    } catch (const RuntimeError& e) {
        const bool missing = e.Number() == ErrorNumberFromWin32(2) || e.Number() == ErrorNumberFromWin32(3);
        if (strict && !missing) throw;
        return {};
    }
}

std::optional<std::string> LoadRaw(const std::string& section, const std::string& key) {
    Document doc = LoadDocument(false);
    Section* s = FindSection(doc, section);
    if (!s) return std::nullopt;
    const Entry* e = FindEntry(*s, key);
    if (!e) return std::nullopt;
    return e->value;
}

// Serialises writers, also across processes; released when it goes out of scope.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

void StoreRaw(const std::string& section, const std::string& key, std::string value) {
    const std::string folder = StoreFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw ErrnoError(ec.value(), folder);
    FolderLock lock(folder);
    Document doc = LoadDocument(true);
    Put(doc, section, key, std::move(value));
    WriteFileAtomically(StoreFile(), Serialize(doc));
}

}  // namespace

std::string SettingsStoreLocation() { return StoreFile(); }

std::optional<std::string> SettingsStore::LoadText(const std::string& section, const std::string& key) {
    const std::optional<std::string> raw = LoadRaw(section, key);
    return raw ? ReadTextValue(*raw) : std::nullopt;
}

std::optional<int32_t> SettingsStore::LoadNumber(const std::string& section, const std::string& key) {
    const std::optional<std::string> raw = LoadRaw(section, key);
    return raw ? ReadNumberValue(*raw) : std::nullopt;
}

void SettingsStore::StoreText(const std::string& section, const std::string& key, const std::string& value) {
    StoreRaw(section, key, TextValue(value));
}

void SettingsStore::StoreNumber(const std::string& section, const std::string& key, int32_t value) {
    StoreRaw(section, key, NumberValue(value));
}

}  // namespace outside
