#include "NotificationLogic.h"

#include <algorithm>

#include "app/exchange/EffectiveUserName.h"
#include "outside/Support.h"
#include "outside/Utf.h"

namespace chatwindow {
namespace {

constexpr char16_t kEllipsis = u'\u2026';
constexpr char kLineBreak[] = "\r\n";
constexpr char kEmptyMessage[] = "(без текста)";
constexpr char kTitleSeparator[] = " \u2014 ";
// A word break is looked for this far back from the cut; past it the cut is hard.
constexpr size_t kWordSearch = 40;
// The sender's name keeps this much of the title when the chat's name is long.
constexpr size_t kSenderRoom = 30;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The first n units, one less where n would split a surrogate pair.
std::u16string Head(const std::u16string& text, size_t n) {
    if (n >= text.size()) return text;
    if (n > 0 && IsHighSurrogate(text[n - 1])) --n;
    return text.substr(0, n);
}

// At most room units: cut with an ellipsis when longer.
std::u16string Fit(const std::u16string& text, size_t room) {
    if (text.size() <= room) return text;
    if (room == 0) return {};
    return Head(text, room - 1) + kEllipsis;
}

// Control characters of untrusted text (tabs, stray breaks) show as blanks.
std::u16string Printable(std::u16string text) {
    for (char16_t& c : text)
        if (c < 0x20 || c == 0x7F) c = u' ';
    return text;
}

std::u16string U16(const std::string& text) { return outside::Utf8ToUtf16(text); }
std::string U8(const std::u16string& text) { return outside::Utf16ToUtf8(text); }

}  // namespace

std::string ChatName(const std::string& chatFilePath) {
    std::string name = outside::esGetFileName(chatFilePath, true);
    return name.empty() ? outside::esGetFileName(chatFilePath) : name;
}

std::string NotificationTitle(const std::string& sender, const std::string& chatName) {
    const std::u16string separator = U16(kTitleSeparator);
    const std::u16string name = Printable(U16(exchange::EffectiveUserName(sender)));
    const std::u16string chat = Printable(U16(chatName));
    const size_t room = kNotificationTitleRoom - separator.size();
    // The name takes what the chat's name leaves, and never less than its share.
    const std::u16string shownName = Fit(name, std::max(kSenderRoom, room - std::min(room, chat.size())));
    return U8(shownName + separator + Fit(chat, room - shownName.size()));
}

std::string NotificationText(const std::string& message, int moreMessages) {
    const std::u16string whole = U16(outside::asTrimEx2(message, true, true, true, true));
    const size_t lineEnd = whole.find_first_of(u"\r\n");
    std::u16string line = Printable(whole.substr(0, lineEnd));
    bool cut = lineEnd != std::u16string::npos;
    if (line.size() > kNotificationLineLength) {
        size_t at = line.rfind(u' ', kNotificationLineLength);
        if (at == std::u16string::npos || at < kNotificationLineLength - kWordSearch) at = kNotificationLineLength;
        line = Head(line, at);
        while (!line.empty() && line.back() == u' ') line.pop_back();
        cut = true;
    }
    std::string text = line.empty() ? std::string(kEmptyMessage) : U8(cut ? line + kEllipsis : line);
    if (moreMessages > 0) text += kLineBreak + MoreMessagesText(moreMessages);
    return text;
}

std::string MoreMessagesText(int count) {
    const int tens = count % 100;
    const int ones = count % 10;
    const char* word = "сообщений";
    if (ones == 1 && tens != 11)
        word = "сообщение";
    else if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
        word = "сообщения";
    return "и ещё " + std::to_string(count) + " " + word;
}

std::string TrayTipText(const std::string& caption, int unread) {
    if (unread <= 0) return U8(Fit(U16(caption), kTrayTipRoom));
    const std::u16string count = U16(std::string(kLineBreak) + "Непрочитанных сообщений: " + std::to_string(unread));
    // The count is what the tip is for now: the caption gives way.
    return U8(Fit(U16(caption), kTrayTipRoom - count.size()) + count);
}

void NotificationLogic::MessageShown(const std::string& userName, const std::string& text, exchange::MessageKind kind,
                                     bool windowSeen, uint32_t nowMs) {
    if (kind != exchange::MessageKind::Other || windowSeen) return;
    ++unread_;
    if (waiting_++ == 0) firstAt_ = nowMs;
    lastAt_ = nowMs;
    sender_ = userName;
    text_ = text;
}

std::optional<Notification> NotificationLogic::Due(uint32_t nowMs, bool inPass, bool enabled,
                                                   const std::string& chatName) {
    if (waiting_ == 0) return std::nullopt;
    if (!enabled) {
        waiting_ = 0;
        return std::nullopt;
    }
    if (inPass) return std::nullopt;
    if (nowMs - lastAt_ < kBurstQuietMs && nowMs - firstAt_ < kBurstLongestMs) return std::nullopt;
    Notification n{NotificationTitle(sender_, chatName), NotificationText(text_, waiting_ - 1)};
    waiting_ = 0;
    return n;
}

void NotificationLogic::Seen() {
    unread_ = 0;
    waiting_ = 0;
}

}  // namespace chatwindow
