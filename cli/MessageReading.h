// Message files read with the program's own readers, caught in a record
// instead of the conversation pane: the result, the message, and the notices.
#pragma once

#include <string>
#include <vector>

#include "app/exchange/MessageTypes.h"
#include "outside/DateTime.h"

namespace cli {

struct DecodedFile {
    std::string path;
    exchange::DispatchResult result = exchange::DispatchResult::Retry;
    bool hasMessage = false;
    std::string clientGuid;  // as the file carries it; empty when its format has none
    std::string userName;
    std::string text;
    outside::DateTimeRecord time;  // UTC
    exchange::MessageKind kind = exchange::MessageKind::Other;
    std::string fileName;
    std::vector<std::string> systemNotices;  // what the pane would show: broken files
    std::vector<std::string> debugNotices;   // what debug output would show: files left for later
};

// "binary", "xml" or "text" by the extension; empty for any other.
std::string FormatOf(const std::string& path);

// Reads one file with the reader of its format; clientGuid tells Mine from
// Other. A file of any other extension is Processed with the program's notice
// about it and no message.
DecodedFile DecodeMessageFile(const std::string& path, const std::string& clientGuid);

// As the program's pass takes a file of the chat folder: left for later
// (Retry) while the synchronisation service still writes it, and while a file
// that does not decode is young enough to be still arriving.
DecodedFile ReadWaitingFile(const std::string& path, const std::string& clientGuid);

// The full paths of the visible message files of the chat folder, in sending order.
std::vector<std::string> ListWaitingFiles(const std::string& chatFolder);

}  // namespace cli
