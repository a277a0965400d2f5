// Sending a file: the file is copied into the files folder of the chat folder
// (whole or not at all), then an ordinary message names it (FileMessage.h).
// The sync service carries both; every client shows the message with the
// file's name as a link. And the receiving side's question: has the copy
// arrived here yet?
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "FileMessage.h"
#include "IMessageDisplay.h"
#include "MessageSender.h"

namespace exchange {

// Asked before a file above kLargeFileBytes is sent (name and size in bytes);
// false sends nothing.
using ConfirmLargeFile = std::function<bool(const std::string& name, uint64_t size)>;

// Copies a file into the files folder of the chat (its ChatFolder), whole or
// not at all, and gives the reference a message names it by. Throws
// RuntimeError for a file that cannot be read or a copy that cannot be made.
FileReference CopyIntoFilesFolder(const startup::ClaimedChat& chat, const std::string& sourcePath);

// Sends one file, with comment under it (may be empty), in the format the
// settings choose. A file that cannot be read, or a copy or message that
// cannot be written, is shown as a system line and sends nothing (no copy is
// left behind). writtenPath, when given, receives the message file's path.
SendOutcome SendFileMessage(const startup::ClaimedChat& chat, const std::string& sourcePath, const std::string& comment,
                            IMessageDisplay& display, const ConfirmLargeFile& confirmLarge,
                            std::string* writtenPath = nullptr);

enum class AttachmentState {
    Arrived,   // the whole file is there
    Arriving,  // it is there but not whole yet (a ".!sync" partner, or a size other than the message says)
    Missing,   // not there at all, or not a file
};
// The copy a message names, on this machine.
AttachmentState StateOfAttachment(const std::string& chatFolder, const FileReference& file);

}  // namespace exchange
