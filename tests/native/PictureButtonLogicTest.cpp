// The picture button's placement arithmetic and mouse rules, and the GDI+
// status texts, as pure functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/support/GDIPlusStatusText.h"
#include "app/support/PictureButtonLogic.h"

using namespace support;

TEST(PictureButtonLogic, PictureIsCentredWithTheExtraPixelRightAndBottom) {
    const struct {
        int clientW, clientH, pictureW, pictureH;
        PictureOrigin origin;
    } cases[] = {
        {40, 40, 32, 32, {4, 4}},   {41, 43, 32, 32, {4, 5}},  // odd: 4 left, 5 right; 5 above, 6 below
        {32, 32, 32, 32, {0, 0}},   {33, 32, 32, 32, {0, 0}},  // the one spare pixel goes right
        {20, 24, 32, 32, {-6, -4}},  // larger than the button: starts outside, clipped
        {21, 23, 32, 32, {-5, -4}},  // -11/2 and -9/2 truncate toward zero
        {40, 40, 0, 0, {20, 20}},   {0, 0, 32, 32, {-16, -16}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CentrePicture(c.clientW, c.clientH, c.pictureW, c.pictureH), c.origin) << c.clientW << "x" << c.clientH;
}

namespace {

enum class Event { Down, DoubleDown, UpInside, UpOutside, Lost };

struct Step {
    Event event;
    MouseButton button;
    MouseReaction expected;
};

MouseReaction Apply(PictureButtonMouse& mouse, const Step& step) {
    switch (step.event) {
        case Event::Down: return mouse.ButtonDown(step.button, false);
        case Event::DoubleDown: return mouse.ButtonDown(step.button, true);
        case Event::UpInside: return mouse.ButtonUp(step.button, true);
        case Event::UpOutside: return mouse.ButtonUp(step.button, false);
        case Event::Lost: return mouse.CaptureLost();
    }
    return {};
}

constexpr MouseReaction kSink{true, true, false};
constexpr MouseReaction kRaise{true, false, false};
constexpr MouseReaction kRaiseAndClick{true, false, true};
constexpr MouseReaction kSinkAndClick{true, true, true};
constexpr MouseReaction kNothing{};

}  // namespace

TEST(PictureButtonLogic, MouseSequencesSinkRaiseAndClick) {
    using B = MouseButton;
    const struct {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    } cases[] = {
        {"left click", {{Event::Down, B::Left, kSink}, {Event::UpInside, B::Left, kRaiseAndClick}}, 1},
        {"double click gives two clicks",
         {{Event::Down, B::Left, kSink},
          {Event::UpInside, B::Left, kRaiseAndClick},
          {Event::DoubleDown, B::Left, kSinkAndClick},
          {Event::UpInside, B::Left, kRaise}},
         2},
        {"released outside is no click", {{Event::Down, B::Left, kSink}, {Event::UpOutside, B::Left, kRaise}}, 0},
        {"right button sinks but never clicks",
         {{Event::Down, B::Right, kSink}, {Event::UpInside, B::Right, kRaise}, {Event::DoubleDown, B::Right, kSink}},
         0},
        {"middle button sinks", {{Event::Down, B::Middle, kSink}, {Event::UpInside, B::Middle, kRaise}}, 0},
        {"an up without a down is no click", {{Event::UpInside, B::Left, kRaise}}, 0},
        {"lost capture raises and forgets the press",
         {{Event::Down, B::Left, kSink}, {Event::Lost, B::Left, kRaise}, {Event::UpInside, B::Left, kRaise}},
         0},
        {"lost capture when not pressed does nothing", {{Event::Lost, B::Left, kNothing}}, 0},
        {"a right release does not end the left press",
         {{Event::Down, B::Left, kSink},
          {Event::Down, B::Right, kSink},
          {Event::UpInside, B::Right, kRaise},
          {Event::UpInside, B::Left, kRaiseAndClick}},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureButtonMouse mouse;
        int clicks = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const MouseReaction got = Apply(mouse, c.steps[i]);
            EXPECT_EQ(got, c.steps[i].expected);
            if (got.redraw) {
                EXPECT_EQ(mouse.Pressed(), got.pressed);
            }
            clicks += got.click ? 1 : 0;
        }
        EXPECT_EQ(clicks, c.clicks);
    }
}

TEST(GDIPlusStatusText, KnownCodesAndTheRest) {
    using modGDIPlusLoadAndSave::GDIPlusStatusText;
    // The ends of the table, its typo, and past either end.
    const std::pair<long, std::string> cases[] = {
        {0, "Unknown error"},         {1, "Generic error"},          {12, "Accedd denied"},
        {20, "Property not supported"}, {21, "Unknown error 21"},    {-1, "Unknown error -1"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(GDIPlusStatusText(code), text) << code;
}
