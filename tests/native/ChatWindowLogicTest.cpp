// Layout arithmetic, the minimum size and the key rules of the chat window.
#include <gtest/gtest.h>

#include "app/chatwindow/ChatWindowLogic.h"

using namespace chatwindow;

namespace {
const Modifiers none{}, shift{true, false, false}, ctrl{false, true, false}, ctrlShift{true, true, false},
    alt{false, false, true};
}  // namespace

TEST(ChatWindowLogic, DesignSizeLaysOutAsDesigned) {
    const ChatLayout l = LayoutChatWindow(kDesignClientWidth, kDesignClientHeight);
    EXPECT_EQ(l.log, (TwipsRect{60, 780, 7050, 3465}));
    EXPECT_EQ(l.message, (TwipsRect{60, 4275, 7050, 735}));
    EXPECT_EQ(l.buttons[kExit], (TwipsRect{7170 - 675 - 60, 60, 675, 675}));
    EXPECT_EQ(l.buttons[kLocalSettings].left, 7170 - 5 * 675 - 4 * 30 - 60);
    for (int i = 0; i + 1 < kButtonCount; ++i)
        EXPECT_EQ(l.buttons[i].left + 675 + 30, l.buttons[i + 1].left) << "30 twips between buttons";
    EXPECT_EQ(l.userName.left + l.userName.width + 60, l.buttons[kLocalSettings].left)
        << "the name box ends 60 twips before the first button";
}

TEST(ChatWindowLogic, ResizeKeepsMarginsAndTops) {
    for (const auto& [w, h] : {std::pair{6210, 2745}, std::pair{9000, 8000}, std::pair{12345, 6789}}) {
        const ChatLayout l = LayoutChatWindow(w, h);
        EXPECT_EQ(l.log.left + l.log.width, w - 60);
        EXPECT_EQ(l.message.top + l.message.height, h - 60);
        EXPECT_EQ(l.log.top + l.log.height + 30, l.message.top);
        EXPECT_EQ(l.buttons[kExit].left + 675, w - 60);
        EXPECT_EQ(l.log.top, 780);
        EXPECT_EQ(l.userName.top, 60);
        EXPECT_GT(l.log.height, 0);
    }
}

TEST(ChatWindowLogic, NeverSmallerThanTheMinimum) {
    EXPECT_EQ(GrowthToMinimum(6210, 2745).width, 0);
    EXPECT_EQ(GrowthToMinimum(6210, 2745).height, 0);
    EXPECT_EQ(GrowthToMinimum(5000, 2745).width, 1210);
    EXPECT_EQ(GrowthToMinimum(7000, 1000).height, 1745);
}

TEST(ChatWindowLogic, HotKeysNeedTheirExactModifiers) {
    // character: the key also brings a character the message box must not get.
    struct Case {
        int vk;
        Modifiers m;
        HotKeyAction action;
        bool character;
    } cases[] = {
        {kVkF1, none, HotKeyAction::ReadMe, false},         {kVkF1, shift, HotKeyAction::About, false},
        {kVkF1, ctrl, HotKeyAction::None, false},           {kVkEscape, none, HotKeyAction::Hide, true},
        {kVkEscape, shift, HotKeyAction::Exit, true},       {kVkEscape, ctrl, HotKeyAction::None, true},
        {kVkEscape, ctrlShift, HotKeyAction::None, true},   {kVkF9, none, HotKeyAction::GlobalSettings, false},
        {kVkF9, shift, HotKeyAction::LocalSettings, false}, {kVkF9, ctrl, HotKeyAction::None, false},
        {kVkF9, ctrlShift, HotKeyAction::None, false},      {kVkL, ctrl, HotKeyAction::Logs, true},
        {kVkL, none, HotKeyAction::None, false},            {kVkL, ctrlShift, HotKeyAction::None, true},
        {kVk0, ctrl, HotKeyAction::MakeTransparent, false}, {kVk0, alt, HotKeyAction::None, false},
        {kVkO, ctrl, HotKeyAction::SendFile, true},         {kVkO, ctrlShift, HotKeyAction::None, true},
        {kVkA, ctrl, HotKeyAction::None, true},             {kVkReturn, none, HotKeyAction::None, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HotKeyFor(c.vk, c.m), c.action) << c.vk << " " << c.m.shift << c.m.ctrl << c.m.alt;
        EXPECT_EQ(KeyMakesCharacter(c.vk, c.m), c.character) << c.vk << " " << c.m.shift << c.m.ctrl << c.m.alt;
    }
}

TEST(FormKeys, DialogWindowsShareF1ShiftF1AndEsc) {
    using support::FormKey;
    struct Case {
        int vk;
        Modifiers m;
        FormKey key;
    } cases[] = {
        {kVkF1, none, FormKey::ReadMe},      {kVkF1, shift, FormKey::About},      {kVkF1, ctrl, FormKey::None},
        {kVkEscape, none, FormKey::Close},   {kVkEscape, shift, FormKey::Swallow}, {kVkEscape, ctrl, FormKey::Swallow},
        {kVkEscape, alt, FormKey::Swallow},  {kVkReturn, none, FormKey::None},    {kVkF9, none, FormKey::None},
    };
    for (const auto& c : cases) EXPECT_EQ(support::FormKeyFor(c.vk, c.m), c.key) << c.vk;
}

TEST(ChatWindowLogic, EnterSendsByTheSetting) {
    struct Case {
        Modifiers m;
        bool onEnter, offEnter;
    } cases[] = {
        {none, true, false}, {ctrl, false, true}, {shift, false, false}, {ctrlShift, false, false}, {alt, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSendKey(kVkReturn, c.m, true), c.onEnter);
        EXPECT_EQ(IsSendKey(kVkReturn, c.m, false), c.offEnter);
        EXPECT_FALSE(IsSendKey('X', c.m, true));
    }
}

TEST(ChatWindowLogic, TransparencyToggles) {
    EXPECT_EQ(NextTransparency(0), 75);
    EXPECT_EQ(NextTransparency(75), 100);
    EXPECT_EQ(NextTransparency(100), 75);
}
