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
    // The binary and XML readers show through this one, with the sender's
    // client GUID (empty when the file has none), so that a display can tell
    // a message it has already shown under another file name.
    virtual void DisplayIdentifiedMessage(const std::string& senderGuid, const std::string& userName,
                                          const std::string& text, outside::DateTimeRecord time, MessageKind kind,
                                          const std::string& fileName) {
        (void)senderGuid;
        DisplayMessage(userName, text, time, kind, fileName);
    }
    virtual void ShowSystemMessage(const std::string& text) = 0;
    // Shown only when debug output is on; the display decides.
    virtual void ShowDebugMessage(const std::string& text) = 0;
};

}  // namespace exchange
