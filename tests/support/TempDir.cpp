#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "outside/Support.h"
#include "outside/Utf.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {
fs::path U8Path(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }
}  // namespace

TempDir::TempDir() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("quillet-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            const auto u8 = candidate.u8string();
            path_.assign(u8.begin(), u8.end());
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(U8Path(path_), ignored);
}

std::string TempDir::operator/(const std::string& name) const { return outside::esBuildFileName2(path_, name); }

namespace {

// fopen with a UTF-8 name on every platform.
FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::u16string wide = outside::Utf8ToUtf16(path);
    const std::u16string wideMode = outside::Utf8ToUtf16(mode);
    return _wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), reinterpret_cast<const wchar_t*>(wideMode.c_str()));
#else
    return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace

void WriteRaw(const std::string& path, const std::string& bytes) {
    FILE* f = OpenFile(path, "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    const bool closed = std::fclose(f) == 0;
    if (written != bytes.size() || !closed) throw std::runtime_error("cannot write " + path);
}

std::string ReadRaw(const std::string& path) {
    FILE* f = OpenFile(path, "rb");
    if (!f) throw std::runtime_error("cannot read " + path);
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

void WriteAged(const std::string& path, const std::string& bytes, int ageSeconds) {
    WriteRaw(path, bytes);
    fs::last_write_time(U8Path(path), fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(U8Path(folder), ec)) {
        const auto u8 = entry.path().filename().u8string();
        names.emplace_back(u8.begin(), u8.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CorpusPath(const std::string& name) { return outside::esBuildFileName2(QUILLET_TEST_DATA, name); }

}  // namespace testsupport
