// How every line reaches the conversation pane: title and body in the colours
// of their kind, the iChat-style time marks, the optional file-name line, the
// blink request and the log rewrite.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "IConversationPane.h"
#include "app/exchange/IMessageDisplay.h"
#include "outside/DateTime.h"

namespace chatwindow {

// The title shown as the sender of system and debug lines.
inline constexpr int kTimeMarkMinutes = 5;

// Every colour a line can have with the current settings.
std::vector<int32_t> DisplayColours();

struct DisplayHooks {
    std::function<bool()> isWindowActive;          // is the chat window the active window?
    std::function<void()> startBlinking;           // the tray icon starts blinking
    std::function<bool(bool, bool)> saveLog;       // SaveLog(silent, resetName)
    std::function<outside::DateTimeRecord()> now;  // local time; the clock unless a test sets it
};

class MessageDisplay final : public exchange::IMessageDisplay {
public:
    MessageDisplay(IConversationPane& pane, DisplayHooks hooks);

    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override;
    void ShowSystemMessage(const std::string& text) override;
    void ShowDebugMessage(const std::string& text) override;

    const outside::DateTimeRecord& LastStampTime() const { return lastStampTime_; }

private:
    IConversationPane& pane_;
    DisplayHooks hooks_;
    outside::DateTimeRecord lastStampTime_{};
};

}  // namespace chatwindow
