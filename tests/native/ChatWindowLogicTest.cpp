// The chat window's layout, minimum size and key rules, and the keys every dialog window shares.
#include <gtest/gtest.h>

#include "app/chatwindow/ChatWindowLogic.h"
#include "support/WindowLogic.h"

using namespace chatwindow;
using namespace testsupport;

TEST(ChatWindowLogic, LayoutKeepsMarginsGapsAndTopsAtEverySize) {
    // The design to the twip: the exit button rightmost, the local settings button leftmost.
    const ChatLayout d = LayoutChatWindow(7170, 5070);
    const std::pair<TwipsRect, TwipsRect> designed[] = {
        {d.log, {60, 780, 7050, 3465}},
        {d.message, {60, 4275, 7050, 735}},
        {d.buttons[kExit], {7170 - 675 - 60, 60, 675, 675}},
        {d.buttons[kLocalSettings], {7170 - 5 * 675 - 4 * 30 - 60, 60, 675, 675}},
        {d.userName, {1260, 60, 2295, 315}},
    };
    for (size_t i = 0; i < std::size(designed); ++i) EXPECT_EQ(designed[i].first, designed[i].second) << "row " << i;
    for (const auto& [w, h] : {std::pair{kDesignClientWidth, kDesignClientHeight}, {6210, 2745}, {12345, 6789}}) {
        const ChatLayout l = LayoutChatWindow(w, h);
        std::vector<TwipsRect> all{l.nameLabel, l.userName, l.logLabel, l.log, l.message};
        all.insert(all.end(), l.buttons.begin(), l.buttons.end());
        ExpectInsideAndApart(all, {0, 0, w, h}, std::to_string(w));
        EXPECT_EQ(l.log.left + l.log.width, w - 60);
        EXPECT_EQ(l.message.top + l.message.height, h - 60);
        EXPECT_EQ(l.log.top + l.log.height + 30, l.message.top);
        EXPECT_EQ(l.buttons[kExit].left + kButtonSize, w - 60);
        for (int i = 0; i + 1 < kButtonCount; ++i)
            EXPECT_EQ(l.buttons[i].left + kButtonSize + 30, l.buttons[i + 1].left) << "30 twips between buttons";
        EXPECT_EQ(l.userName.left + l.userName.width + 60, l.buttons[kLocalSettings].left);
        EXPECT_EQ(std::vector<int>({l.log.top, l.userName.top}), std::vector<int>({780, 60}));
    }
    EXPECT_EQ(std::vector<int>({GrowthToMinimum(6210, 2745).width, GrowthToMinimum(6210, 2745).height,
                                GrowthToMinimum(5000, 2745).width, GrowthToMinimum(7000, 1000).height}),
              std::vector<int>({0, 0, 1210, 1745}));
}

TEST(ChatWindowLogic, KeysNeedTheirExactModifiers) {
    // character: the key also brings a character the message box must not get.
    struct Case {
        int vk;
        Modifiers m;
        HotKeyAction action;
        bool character;
    } cases[] = {
        {kVkF1, kNone, HotKeyAction::ReadMe, false},         {kVkF1, kShift, HotKeyAction::About, false},
        {kVkF1, kCtrl, HotKeyAction::None, false},           {kVkEscape, kNone, HotKeyAction::Hide, true},
        {kVkEscape, kShift, HotKeyAction::Exit, true},       {kVkEscape, kCtrl, HotKeyAction::None, true},
        {kVkEscape, kCtrlShift, HotKeyAction::None, true},   {kVkF9, kNone, HotKeyAction::GlobalSettings, false},
        {kVkF9, kShift, HotKeyAction::LocalSettings, false}, {kVkF9, kCtrl, HotKeyAction::None, false},
        {kVkF9, kCtrlShift, HotKeyAction::None, false},      {kVkL, kCtrl, HotKeyAction::Logs, true},
        {kVkL, kNone, HotKeyAction::None, false},            {kVkL, kCtrlShift, HotKeyAction::None, true},
        {kVk0, kCtrl, HotKeyAction::MakeTransparent, false}, {kVk0, kAlt, HotKeyAction::None, false},
        {kVkO, kCtrl, HotKeyAction::SendFile, true},         {kVkO, kCtrlShift, HotKeyAction::None, true},
        {kVkA, kCtrl, HotKeyAction::None, true},             {kVkReturn, kNone, HotKeyAction::None, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vk << " " << c.m.shift << c.m.ctrl << c.m.alt);
        EXPECT_EQ(HotKeyFor(c.vk, c.m), c.action);
        EXPECT_EQ(KeyMakesCharacter(c.vk, c.m), c.character);
    }
    // Enter sends alone with "Send on Enter" on, and with Ctrl alone with it off.
    const std::pair<Modifiers, std::pair<bool, bool>> sends[] = {{kNone, {true, false}},       {kCtrl, {false, true}},
                                                                 {kShift, {false, false}},     {kAlt, {false, false}},
                                                                 {kCtrlShift, {false, false}}};
    for (const auto& [m, send] : sends) {
        EXPECT_EQ(std::pair(IsSendKey(kVkReturn, m, true), IsSendKey(kVkReturn, m, false)), send);
        EXPECT_FALSE(IsSendKey('X', m, true));
    }
    EXPECT_EQ(std::vector<int>({NextTransparency(0), NextTransparency(75), NextTransparency(100)}),
              std::vector<int>({75, 100, 75}));
}

TEST(FormKeys, DialogWindowsShareF1ShiftF1AndEsc) {
    using support::FormKey;
    const std::tuple<int, Modifiers, FormKey> cases[] = {
        {kVkF1, kNone, FormKey::ReadMe},     {kVkF1, kShift, FormKey::About},      {kVkF1, kCtrl, FormKey::None},
        {kVkEscape, kNone, FormKey::Close},  {kVkEscape, kShift, FormKey::Swallow}, {kVkEscape, kCtrl, FormKey::Swallow},
        {kVkEscape, kAlt, FormKey::Swallow}, {kVkReturn, kNone, FormKey::None},    {kVkF9, kNone, FormKey::None},
    };
    for (const auto& [vk, m, key] : cases) EXPECT_EQ(support::FormKeyFor(vk, m), key) << vk;
}
