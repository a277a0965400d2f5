// One message as quillet-cli prints it, and message files read one by one
// with the program's own readers (check), caught in that record instead of
// the conversation pane: the result, the message, and the notices.
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

// Puts what a reader handed the display into file. Throws RuntimeError for a
// time the pane could not show, as the pane does (the reader then takes the
// file as broken).
void TakeMessage(DecodedFile& file, const std::string& clientGuid, const std::string& userName,
                 const std::string& text, const outside::DateTimeRecord& time, exchange::MessageKind kind,
                 const std::string& fileName);

// "binary", "xml" or "text" by the extension; empty for any other.
std::string FormatOf(const std::string& path);

// Reads one file with the reader of its format; clientGuid tells Mine from
// Other. A file of any other extension is Processed with the program's notice
// about it and no message.
DecodedFile DecodeMessageFile(const std::string& path, const std::string& clientGuid);

}  // namespace cli
