// Where the readers hand what they decoded: the conversation pane implements
// it; tests record the calls.
#pragma once

#include <string>

#include "MessageTypes.h"
#include "outside/DateTime.h"

namespace exchange {

class IMessageDisplay {
public:
    virtual ~IMessageDisplay() = default;
    // time is UTC; fileName is the bare name of the message file, or empty.
    virtual void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                                MessageKind kind, const std::string& fileName) = 0;
    // What the readers call: the same, with the client GUID the file carries
    // (empty when its format has none). The pane has no use for the GUID.
    virtual void DisplayMessageFrom(const std::string& clientGuid, const std::string& userName,
                                    const std::string& text, outside::DateTimeRecord time, MessageKind kind,
                                    const std::string& fileName) {
        (void)clientGuid;
        DisplayMessage(userName, text, time, kind, fileName);
    }
    virtual void ShowSystemMessage(const std::string& text) = 0;
    // Shown only when debug output is on; the display decides.
    virtual void ShowDebugMessage(const std::string& text) = 0;
};

}  // namespace exchange
