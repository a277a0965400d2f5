// A fresh temporary folder per test, removed with everything in it.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path joined with name.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

// Writes bytes exactly (no atomic rename, no BOM): for building test files.
void WriteRaw(const std::string& path, const std::string& bytes);
std::string ReadRaw(const std::string& path);
// WriteRaw, then dates the file ageSeconds back (a reader takes an old broken file as broken).
void WriteAged(const std::string& path, const std::string& bytes, int ageSeconds);
// Names of everything in a folder, sorted; none when it does not exist.
std::vector<std::string> FolderNames(const std::string& folder);
// The corpus folder and a file in it.
std::string CorpusPath(const std::string& name);

}  // namespace testsupport
