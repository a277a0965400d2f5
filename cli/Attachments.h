// What read and follow print of a message that carries a file
// (app/exchange/FileMessage.h): where the copy lies on this machine and
// whether the sync service has brought it yet.
#pragma once

#include <string>

namespace cli {

// ",\"attachment\":{...}" (name, size, path, arrived) for a file message's
// text, nothing for any other; for MessageJsonMembers.
std::string AttachmentJsonMember(const std::string& text);
// The line under a file's name in the text form, for a link target of the
// program's display: the copy's path, and "(ещё не пришёл)" until it is whole.
// Empty for a target that names no file.
std::string AttachmentLine(const std::string& linkTarget);

}  // namespace cli
