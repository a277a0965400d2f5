// Notifications of messages from others that arrive unseen, apart from the
// tray so they can be tested anywhere: when one is due (a burst gives one),
// what its title and text say, and how the tray tip counts the unread.
// Times are milliseconds of a wrapping 32-bit clock (GetTickCount).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/exchange/MessageTypes.h"

namespace chatwindow {

// Room in the shell's notification data, in UTF-16 units, the terminator apart.
inline constexpr size_t kNotificationTitleRoom = 63;
inline constexpr size_t kNotificationTextRoom = 255;
inline constexpr size_t kTrayTipRoom = 127;
// The first line of a message is cut at a word near this many characters.
inline constexpr size_t kNotificationLineLength = 200;
// A burst is over when no message came for this long; a stream that never
// pauses still gets one notification this often.
inline constexpr uint32_t kBurstQuietMs = 2000;
inline constexpr uint32_t kBurstLongestMs = 10000;

struct Notification {
    std::string title;
    std::string text;
    bool operator==(const Notification&) const = default;
};

// The chat's name: its file's name without folder and extension.
std::string ChatName(const std::string& chatFilePath);
// "Sender — Chat", within the title's room; the chat's name keeps at least
// half of it when both are long.
std::string NotificationTitle(const std::string& sender, const std::string& chatName);
// The message's first line, cut at a word near kNotificationLineLength and
// marked "…" when anything is left out; then, when more messages came in the
// same burst, a line saying how many.
std::string NotificationText(const std::string& message, int moreMessages);
// "и ещё 1 сообщение", "и ещё 3 сообщения", "и ещё 49 сообщений".
std::string MoreMessagesText(int count);
// The tray tip: the caption, and under it the unread count while there is one.
std::string TrayTipText(const std::string& caption, int unread);

class NotificationLogic {
public:
    // Every line the pane shows. Only messages from others that arrive while
    // the user does not look at the chat window count and notify.
    void MessageShown(const std::string& userName, const std::string& text, exchange::MessageKind kind, bool windowSeen,
                      uint32_t nowMs);
    // The notification to show now: once a burst is over, never during a
    // pass, never when notifications are off (the burst is dropped then).
    std::optional<Notification> Due(uint32_t nowMs, bool inPass, bool enabled, const std::string& chatName);
    // The user looks at the chat window: nothing is unread or waiting.
    void Seen();
    int Unread() const { return unread_; }
    // Messages of the burst not yet notified.
    int Waiting() const { return waiting_; }

private:
    int unread_ = 0;
    int waiting_ = 0;
    std::string sender_;
    std::string text_;
    uint32_t firstAt_ = 0;
    uint32_t lastAt_ = 0;
};

}  // namespace chatwindow
