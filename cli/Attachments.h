// What read and follow print of a message that carries a file
// (app/exchange/FileMessage.h): where the copy lies on this machine and
// whether the sync service has brought it yet.
#pragma once

#include <string>

namespace cli {

// The copy lies in the files folder of chatFolder.
// ",\"attachment\":{...}" (name, size, path, arrived) for a file message's
// text, nothing for any other; for MessageJsonMembers.
std::string AttachmentJsonMember(const std::string& text, const std::string& chatFolder);
// The line under a file's name in the text form, for a link target of the
// program's display: the copy's path, and "(ещё не пришёл)" until it is whole.
// Empty for a target that names no file.
std::string AttachmentLine(const std::string& linkTarget, const std::string& chatFolder);

}  // namespace cli
