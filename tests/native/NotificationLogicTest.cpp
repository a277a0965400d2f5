// Notifications of unseen messages: what they say, within the shell's room,
// and when a burst gives its one notification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/chatwindow/NotificationLogic.h"
#include "outside/Utf.h"

using namespace chatwindow;
using exchange::MessageKind;

namespace {

size_t Units(const std::string& text) { return outside::Utf8ToUtf16(text).size(); }
std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(NotificationLogic, TextIsTheFirstLineCutAtAWord) {
    const std::string word9 = "абвгдежз ";  // nine characters with its blank
    const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
    struct Case {
        std::string message;
        int more;
        std::string text;
    } cases[] = {
        {"Привет!", 0, "Привет!"},
        {"  \r\nПервая строка\r\nвторая\r\n", 0, "Первая строка…"},
        {"одна\tстрока\x01", 0, "одна строка "},
        {"   \r\n ", 0, "(без текста)"},
        {"", 2, "(без текста)\r\nи ещё 2 сообщения"},
        {"текст", 49, "текст\r\nи ещё 49 сообщений"},
        // 27 words of nine characters: the last blank before 200 is at 197, after the 22nd word.
        {Repeat(word9, 27), 0, Repeat(word9, 21) + "абвгдежз…"},
        // One long word is cut hard at 200.
        {std::string(250, 'x'), 0, std::string(200, 'x') + "…"},
        // A blank too far back does not count: the cut is hard.
        {std::string(100, 'y') + " " + std::string(150, 'z'), 0, std::string(100, 'y') + " " + std::string(99, 'z') + "…"},
        // A character of two units is never split.
        {std::string(199, 'e') + emoji + "zz", 0, std::string(199, 'e') + "…"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.substr(0, 40));
        const std::string text = NotificationText(c.message, c.more);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(Units(text), kNotificationTextRoom);
    }
    // The longest first line with the longest count still fits the shell's room.
    EXPECT_LE(Units(NotificationText(Repeat(emoji, 300), 1234567)), kNotificationTextRoom);
}

TEST(NotificationLogic, MoreMessagesAgreeInNumber) {
    const std::pair<int, const char*> cases[] = {
        {1, "и ещё 1 сообщение"},   {4, "и ещё 4 сообщения"},    {5, "и ещё 5 сообщений"},
        {11, "и ещё 11 сообщений"}, {14, "и ещё 14 сообщений"},  {21, "и ещё 21 сообщение"},
        {111, "и ещё 111 сообщений"}, {112, "и ещё 112 сообщений"}, {123, "и ещё 123 сообщения"},
    };
    for (const auto& [count, text] : cases) EXPECT_EQ(MoreMessagesText(count), text);
}

TEST(NotificationLogic, TitleIsSenderAndChatWithinItsRoom) {
    const std::string longName = Repeat("Имя", 30);
    const std::string longChat = Repeat("Чат", 30);
    struct Case {
        std::string sender, chat, title;
    } cases[] = {
        {"Анна", "Беседа", "Анна — Беседа"},
        {"  \r\n", "Беседа", "Анонимус — Беседа"},
        {"Ан\tна\r\nК.", "Беседа", "Ан на  К."  " — Беседа"},
        {longName, "Беседа", longName.substr(0, 2 * 53) + "… — Беседа"},  // 54 + 3 + 6 = 63 units
        {"Анна", longChat, "Анна — " + longChat.substr(0, 2 * 55) + "…"},
        {longName, longChat, longName.substr(0, 2 * 29) + "… — " + longChat.substr(0, 2 * 29) + "…"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const std::string title = NotificationTitle(c.sender, c.chat);
        EXPECT_EQ(title, c.title);
        EXPECT_LE(Units(title), kNotificationTitleRoom);
    }
    EXPECT_EQ(ChatName("/чаты/Беседа.ZPMFChat"), "Беседа");
    EXPECT_EQ(ChatName("/чаты/Дом.Работа.ZPMFChat"), "Дом.Работа");
    EXPECT_EQ(ChatName("/чаты/.ZPMFChat"), ".ZPMFChat");
}

TEST(NotificationLogic, TipCountsTheUnreadUnderTheCaption) {
    EXPECT_EQ(TrayTipText("Беседа - Torvane - Quillet", 0), "Беседа - Torvane - Quillet");
    EXPECT_EQ(TrayTipText("Беседа - Torvane - Quillet", 3), "Беседа - Torvane - Quillet\r\nНепрочитанных сообщений: 3");
    // A long caption gives way to the count.
    const std::string caption(300, 'c');
    const std::string tip = TrayTipText(caption, 1234);
    EXPECT_EQ(Units(tip), kTrayTipRoom);
    EXPECT_NE(tip.find("…\r\nНепрочитанных сообщений: 1234"), std::string::npos);
    EXPECT_EQ(Units(TrayTipText(caption, 0)), kTrayTipRoom);
}

TEST(NotificationLogic, ABurstGivesOneNotificationOnceItIsOver) {
    NotificationLogic n;
    uint32_t now = 0xFFFFF000u;  // the clock wraps inside the burst
    for (int i = 0; i < 50; ++i, now += 50) {
        n.MessageShown("Отправитель " + std::to_string(i), "текст " + std::to_string(i), MessageKind::Other, false, now);
        EXPECT_FALSE(n.Due(now, false, true, "Беседа")) << "while the burst goes on, message " << i;
    }
    const uint32_t last = now - 50;
    EXPECT_FALSE(n.Due(last + kBurstQuietMs - 1, false, true, "Беседа"));
    EXPECT_FALSE(n.Due(last + kBurstQuietMs, true, true, "Беседа")) << "never during a pass";
    const auto shown = n.Due(last + kBurstQuietMs, false, true, "Беседа");
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, (Notification{"Отправитель 49 — Беседа", "текст 49\r\nи ещё 49 сообщений"}));
    EXPECT_FALSE(n.Due(last + 60000, false, true, "Беседа")) << "one, not one per message";
    EXPECT_EQ(n.Unread(), 50);

    // A stream that never pauses still gets one now and then.
    n.Seen();
    std::vector<uint32_t> notifiedAt;
    for (uint32_t t = 0; t < 3 * kBurstLongestMs; t += kBurstQuietMs / 2) {
        n.MessageShown("Анна", "ещё", MessageKind::Other, false, t);
        if (n.Due(t, false, true, "Беседа")) notifiedAt.push_back(t);
    }
    // The next burst starts with the message after a notification.
    const uint32_t next = kBurstLongestMs + kBurstQuietMs / 2;
    EXPECT_EQ(notifiedAt, (std::vector<uint32_t>{kBurstLongestMs, next + kBurstLongestMs}));
}

TEST(NotificationLogic, OnlyUnseenMessagesOfOthersCountAndNotify) {
    struct Case {
        const char* what;
        MessageKind kind;
        bool seen, enabled, seenLater;
        int unread;
        bool notified;
    } cases[] = {
        {"another's, unseen", MessageKind::Other, false, true, false, 1, true},
        {"own", MessageKind::Mine, false, true, false, 0, false},
        {"system", MessageKind::System, false, true, false, 0, false},
        {"debug", MessageKind::Debug, false, true, false, 0, false},
        {"while the window is looked at", MessageKind::Other, true, true, false, 0, false},
        {"with notifications off: counted, not notified", MessageKind::Other, false, false, false, 1, false},
        {"the window looked at later: the count and what waited cleared", MessageKind::Other, false, true, true, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NotificationLogic n;
        n.MessageShown("Анна", "привет", c.kind, c.seen, 0);
        if (c.seenLater) n.Seen();
        EXPECT_EQ(n.Unread(), c.unread);
        EXPECT_EQ(n.Due(kBurstLongestMs, false, c.enabled, "Беседа").has_value(), c.notified);
        // Turning notifications on later does not bring back what was dropped.
        EXPECT_FALSE(n.Due(kBurstLongestMs, false, true, "Беседа"));
    }
}
