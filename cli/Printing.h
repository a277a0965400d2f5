// How messages reach the terminal: as the conversation pane shows them (the
// program's own display over a pane that writes text), or as JSON lines; and
// how notices reach standard error.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "MessageReading.h"

namespace chatwindow {
class MessageDisplay;
}

namespace cli {

// Control characters other than line feed and tab become U+FFFD: text from
// other people must not steer the terminal.
std::string SafeForTerminal(std::string_view text);
// CR LF and lone CR become LF.
std::string UnixLineBreaks(std::string_view text);
// "2024-01-31T13:05:07.042Z"
std::string IsoTime(const outside::DateTimeRecord& utc);
// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);
// The fields of one message as JSON members (no braces): time, user, text,
// client, own, format, file; and the attachment, whose copy lies in chatFolder.
std::string MessageJsonMembers(const DecodedFile& file, const std::string& chatFolder);

class MessagePrinter {
public:
    // colorMode: auto, always or never (the text form only). Sent files lie in chatFolder.
    MessagePrinter(bool json, const std::string& colorMode, const std::string& chatFolder);
    ~MessagePrinter();
    // Prints one decoded message; false when standard output has gone.
    bool Print(const DecodedFile& file);

private:
    class Pane;
    bool json_;
    std::string chatFolder_;
    std::unique_ptr<Pane> pane_;
    std::unique_ptr<chatwindow::MessageDisplay> display_;
};

// One line to standard error.
void ReportError(const std::string& text);
// After a failed write to standard output: says why, unless its reader only
// went away, and gives the exit status.
int OutputFailed();

}  // namespace cli
