// What follow has done with one chat where it does not hide files: the names
// of the message files it has printed (or skipped for good), in a small state
// file of its own for each chat, so that a message is printed once, also
// across runs. The chat's ledger of shown messages lives beside it.
#pragma once

#include <set>
#include <string>

namespace cli {

class FollowState {
public:
    // folder: where the state files live; the file is named after the chat file's full path.
    FollowState(const std::string& folder, const std::string& chatFilePath);

    const std::string& File() const { return file_; }
    std::string LedgerFile() const;
    // A missing file is an empty state, written at the next save so that
    // later starts know follow has run; damaged lines are skipped. Throws
    // RuntimeError when the file exists but cannot be read (printing every
    // message again would be worse than stopping).
    void Load();
    // False until a state file was found or written: follow's first start on the chat.
    bool Exists() const { return exists_; }
    bool Changed() const { return changed_; }
    bool Has(const std::string& name) const { return names_.count(name) > 0; }
    void Add(const std::string& name);
    // Writes the file when anything changed. With present given, names of
    // files no longer in the folder are forgotten first, which keeps the file
    // as small as the folder. Throws RuntimeError.
    void Save(const std::set<std::string>* present);

private:
    std::string folder_;
    std::string chat_;
    std::string file_;
    std::set<std::string> names_;
    bool changed_ = false;
    bool exists_ = false;
};

// "%XX" for "%", control characters and a "#" first, so that any file name is
// one line that is no comment.
std::string EncodeStateLine(const std::string& name);
// False for a line that is not one EncodeStateLine made.
bool DecodeStateLine(const std::string& line, std::string& name);

}  // namespace cli
