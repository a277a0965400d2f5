// POSIX side of the support functions.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "../Support.h"
#include "../TextFile.h"
#include "../Utf.h"
#include "PosixError.h"

namespace outside {

bool IsPathSeparator(char c) { return c == '/'; }
char PathSeparator() { return '/'; }

bool esIsFileExist(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string esGetFullFileName(const std::string& path, bool) {
    if (path.empty()) return {};
    std::string full = path;
    if (path[0] != '/') {
        std::vector<char> buf(PATH_MAX);
        if (!::getcwd(buf.data(), buf.size())) return {};
        full = std::string(buf.data()) + "/" + path;
    }
    // Fold ".", ".." and repeated separators without touching the disk.
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < full.size()) {
        while (i < full.size() && full[i] == '/') ++i;
        const size_t start = i;
        while (i < full.size() && full[i] != '/') ++i;
        const std::string part = full.substr(start, i - start);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const auto& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

namespace {

std::string Home() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir;
    return "/tmp";
}

std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* v = std::getenv(variable); v && *v == '/') return v;
    return esBuildFileName2(Home(), fallbackUnderHome);
}

}  // namespace

std::string esGetSpecialFolder(int folderId) {
    switch (folderId) {
        case kFolderAppData: return XdgFolder("XDG_DATA_HOME", ".local/share");
        case kFolderStartup: return esBuildFileName2(XdgFolder("XDG_CONFIG_HOME", ".config"), "autostart");
        default: throw RuntimeError(kErrInvalidCall, "Неизвестная особая папка " + std::to_string(folderId));
    }
}

std::string esGetModuleFileName(int, bool) {
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), PATH_MAX);
    if (n <= 0) throw ErrnoError(errno);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string esGetTempFileName2(const std::string& folder, const std::string& prefix) {
    std::string dir = folder;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        dir = (tmp && *tmp) ? tmp : "/tmp";
    }
    std::string templ = esBuildFileName2(dir, prefix + "XXXXXX");
    const int fd = ::mkstemp(templ.data());
    if (fd < 0) throw ErrnoError(errno, dir);
    ::close(fd);
    return templ;
}

std::string asGetTempFileName2(const std::string& folder, const std::string& prefix) {
    return esGetTempFileName2(folder, prefix);
}

uint64_t esGetFileSizeEx(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw ErrnoError(errno, path);
    return static_cast<uint64_t>(st.st_size);
}

void esRegisterAppPath() {}

std::string esGetNewGUID() {
    unsigned char b[16] = {};
    std::ifstream random("/dev/urandom", std::ios::binary);
    if (!random.read(reinterpret_cast<char*>(b), sizeof b))
        throw RuntimeError(kErrInternal, "Не удалось получить случайные числа для GUID");
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string esGetFullUserName(int, int) {
    const passwd* pw = ::getpwuid(::getuid());
    if (!pw) return {};
    std::string gecos = pw->pw_gecos ? pw->pw_gecos : "";
    if (const size_t comma = gecos.find(','); comma != std::string::npos) gecos.erase(comma);
    gecos = asTrimEx(gecos);
    return gecos.empty() ? std::string(pw->pw_name ? pw->pw_name : "") : gecos;
}

std::string AnsiToUtf8(std::string_view bytes) { return Cp1251ToUtf8(bytes); }

}  // namespace outside
