// Layout arithmetic, the minimum size and the key rules of the chat window.
#include <gtest/gtest.h>

#include "app/chatwindow/ChatWindowLogic.h"

using namespace chatwindow;

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
    const Modifiers none{}, shift{true, false, false}, ctrl{false, true, false}, ctrlShift{true, true, false},
        alt{false, false, true};
    struct Case {
        int vk;
        Modifiers m;
        HotKeyAction action;
    } cases[] = {
        {kVkF1, none, HotKeyAction::ReadMe},          {kVkF1, shift, HotKeyAction::About},
        {kVkF1, ctrl, HotKeyAction::None},            {kVkEscape, none, HotKeyAction::Hide},
        {kVkEscape, shift, HotKeyAction::Exit},       {kVkEscape, ctrl, HotKeyAction::None},
        {kVkEscape, ctrlShift, HotKeyAction::None},   {kVkF9, none, HotKeyAction::GlobalSettings},
        {kVkF9, shift, HotKeyAction::LocalSettings},  {kVkF9, ctrl, HotKeyAction::None},
        {kVkF9, ctrlShift, HotKeyAction::None},       {kVkL, ctrl, HotKeyAction::Logs},
        {kVkL, none, HotKeyAction::None},             {kVkL, ctrlShift, HotKeyAction::None},
        {kVk0, ctrl, HotKeyAction::MakeTransparent},  {kVk0, alt, HotKeyAction::None},
        {kVkA, ctrl, HotKeyAction::None},             {kVkReturn, none, HotKeyAction::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HotKeyFor(c.vk, c.m), c.action) << c.vk << " " << c.m.shift << c.m.ctrl << c.m.alt;
}

TEST(ChatWindowLogic, EnterSendsByTheSetting) {
    const Modifiers none{}, shift{true, false, false}, ctrl{false, true, false}, ctrlShift{true, true, false},
        alt{false, false, true};
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
