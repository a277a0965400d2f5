// Sending: the text of the message box becomes one new message file in the
// chat folder, binary or XML. The message is shown when a pass reads it back.
#pragma once

#include <string>

#include "IMessageDisplay.h"
#include "app/startup/ClaimedChat.h"

namespace exchange {

enum class SendOutcome {
    NothingToSend,  // blank text: no file, no notice, the box keeps its text
    Sent,           // the file is written: empty the box
    Failed,         // a notice was shown: the box keeps its text
};

// XML when "Send XML Messages" is on, binary otherwise.
// The file goes into the chat's folder.
SendOutcome SendComposedMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display);
// writtenPath, when given, receives the full path of the file written.
SendOutcome SendBinaryMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display,
                              std::string* writtenPath = nullptr);
SendOutcome SendXmlMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display,
                           std::string* writtenPath = nullptr);

// The text that is sent: line breaks removed at both ends; empty when there is
// nothing but blanks and line breaks.
std::string TextToSend(const std::string& boxText);

}  // namespace exchange
