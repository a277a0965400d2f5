// The entry window's layout, keys and texts, and the file dialog's filter and
// extension rules.
#include <gtest/gtest.h>

#include "outside/Support.h"

#include <algorithm>

#include "app/startup/LoginWindowLogic.h"
#include "app/support/FileDialogLogic.h"

using namespace startup;
using support::FilterEntry;
using support::Modifiers;

namespace {

bool Overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}
bool Inside(const TwipsRect& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}

}  // namespace

TEST(LoginWindowLogic, EveryTextGetsItsMeasuredHeightBesideItsButtonWithoutOverlap) {
    // Heights as Tahoma 9 gives them at 96 and 120 DPI, a wide fallback font,
    // and texts shorter than the buttons.
    const std::array<std::array<int, kLabelCount>, 4> cases = {{
        {225, 1800, 225, 675, 225},
        {240, 2160, 240, 960, 240},
        {300, 3600, 300, 1500, 1200},
        {150, 150, 150, 150, 150},
    }};
    for (const auto& heights : cases) {
        const LoginLayout l = LayoutLoginWindow(heights);
        SCOPED_TRACE(heights[1]);
        std::vector<TwipsRect> all(l.buttons.begin(), l.buttons.end());
        all.insert(all.end(), l.labels.begin(), l.labels.end());
        for (size_t i = 0; i < all.size(); ++i) {
            EXPECT_TRUE(Inside(all[i], l.clientWidth, l.clientHeight)) << i;
            for (size_t j = i + 1; j < all.size(); ++j) EXPECT_FALSE(Overlap(all[i], all[j])) << i << " " << j;
        }
        for (int i = 0; i < kLabelCount; ++i) {
            EXPECT_EQ(l.labels[i].height, heights[i]) << "text " << i << " is not cut";
            EXPECT_EQ(l.labels[i].width, kLoginTextWidth);
            EXPECT_GE(l.labels[i].left, l.buttons[i / 2].left + l.buttons[i / 2].width) << "beside its button";
        }
        for (int row = 0; row < kLoginButtonCount; ++row) {
            const TwipsRect& caption = l.labels[2 * row];
            const TwipsRect& button = l.buttons[row];
            EXPECT_LT(caption.top, button.top + button.height) << "caption " << row << " level with its button";
            EXPECT_GE(caption.top, button.top);
            if (row + 1 < kLoginButtonCount) {
                EXPECT_LT(l.labels[2 * row + 1].top, l.buttons[row + 1].top) << "explanation before the next row";
                EXPECT_GT(l.labels[2 * row + 1].top, caption.top) << "explanation under its caption";
            }
        }
        EXPECT_GE(l.clientHeight, l.labels[4].top + l.labels[4].height + kLoginMargin);
    }
}

TEST(LoginWindowLogic, ExitCaptionStandsLevelWithTheMiddleOfItsButton) {
    const LoginLayout l = LayoutLoginWindow({225, 1800, 225, 675, 225});
    const TwipsRect& caption = l.labels[4];
    const TwipsRect& button = l.buttons[kExit];
    EXPECT_NEAR(caption.top - button.top, (button.top + button.height) - (caption.top + caption.height), 1);
    EXPECT_GT(caption.top, button.top);
}

TEST(LoginWindowLogic, KeysActOnlyWithTheirExactModifiers) {
    const Modifiers none{}, shift{true, false, false}, ctrl{false, true, false}, alt{false, false, true};
    struct Case {
        int key;
        Modifiers modifiers;
        bool onButton;
        LoginKey expected;
    };
    const Case cases[] = {
        {support::kVkF1, none, false, LoginKey::ReadMe},
        {support::kVkF1, shift, false, LoginKey::About},
        {support::kVkF1, ctrl, true, LoginKey::None},
        {support::kVkEscape, none, false, LoginKey::Close},
        {support::kVkEscape, none, true, LoginKey::Close},
        {support::kVkEscape, shift, false, LoginKey::Swallow},
        {support::kVkEscape, ctrl, false, LoginKey::Swallow},
        {support::kVkEscape, alt, false, LoginKey::Swallow},
        {support::kVkReturn, none, true, LoginKey::Press},
        {kVkSpace, none, true, LoginKey::Press},
        {support::kVkReturn, none, false, LoginKey::None},
        {support::kVkReturn, ctrl, true, LoginKey::None},
        {kVkSpace, shift, true, LoginKey::None},
        {support::kVkTab, none, true, LoginKey::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoginKeyFor(c.key, c.modifiers, c.onButton), c.expected)
            << c.key << " shift " << c.modifiers.shift << " ctrl " << c.modifiers.ctrl << " alt " << c.modifiers.alt;
}

TEST(LoginWindowLogic, DeviceNamesAreNoFiles) {
    for (const char* name : {"NUL", "con", "Aux.ZPMFChat", "PRN.txt.ZPMFChat", "COM1", "lpt9 .ZPMFChat", "Con  "})
        EXPECT_TRUE(startup::IsDeviceName(name)) << name;
    for (const char* name : {"Беседа.ZPMFChat", "CONSOLE.ZPMFChat", "COM0", "COM10", "LPT", "NULL", "xNUL", ""})
        EXPECT_FALSE(startup::IsDeviceName(name)) << name;
}

TEST(LoginWindowLogic, LabelTextsAreWhole) {
    // Written here on one line each: the program's copy is split over source
    // lines, where a blank is easily lost or doubled at a join.
    const std::array<std::string, kLabelCount> expected = {
        "Создать файл чата",
        "Эту кнопку следует нажимать, если чат ещё никто не создал или вы хотите создать другой чат. Перед тем как нажать её, откройте папку дропбокса, создайте в ней новую папку с каким-нибудь понятным именем вроде \"Чат с семьёй\" и сделайте её общей. Пригласите в неё всех, кто долежен принять участие в чате. После этого кнопку можно нажимать - появится окно, в котором вам нужно выбрать созданную общую папку и сохранить файл чата с именем вроде \"Беседа\". После этого другие участники чата смогут в него войти, открыв этот файл.",
        "Открыть файл чата",
        "Нажмите эту кнопку чтобы войти в чат, ранее созданный в общей папке дропбокса. Кстати! Ещё быстрее это можно сделать, открыв папку и дважды щёлкнув на файле чата - у него будет иконка как у этой программы.",
        "Выход из программы",
    };
    for (int i = 0; i < kLabelCount; ++i) EXPECT_EQ(kLoginLabels[i], expected[i]) << "lblTag " << i;
}

TEST(FileDialogLogic, FilterSplitsIntoNameAndPatternPairs) {
    struct Case {
        const char* filter;
        std::vector<FilterEntry> expected;
    };
    const Case cases[] = {
        {"Файлы чата|*.ZPMFChat|Все файлы|*.*", {{"Файлы чата", "*.ZPMFChat"}, {"Все файлы", "*.*"}}},
        {"Тексты|*.txt;*.log", {{"Тексты", "*.txt;*.log"}}},
        {"Файлы чата|*.ZPMFChat|Без шаблона", {{"Файлы чата", "*.ZPMFChat"}}},
        {"|*.x|Все|*.*|Пусто|", {{"Все", "*.*"}}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(support::SplitFilter(c.filter), c.expected) << c.filter;
}

TEST(FileDialogLogic, DefaultExtensionGetsItsOwnLetterCase) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Чаты\\Беседа.zpmfchat", "C:\\Чаты\\Беседа.ZPMFChat"},
        {"C:\\Чаты\\Беседа.ZPMFCHAT", "C:\\Чаты\\Беседа.ZPMFChat"},
        {"C:\\Чаты\\Беседа.ZPMFChat", "C:\\Чаты\\Беседа.ZPMFChat"},
        {"C:\\Чаты\\Беседа.txt", "C:\\Чаты\\Беседа.txt"},
        {"C:\\Чаты\\Беседаzpmfchat", "C:\\Чаты\\Беседаzpmfchat"},
        {"C:\\Чаты\\.zpmfchat", "C:\\Чаты\\.zpmfchat"},
        {"C:\\Чаты\\Беседа.zpmfchat.txt", "C:\\Чаты\\Беседа.zpmfchat.txt"},
        {"zpmfchat", "zpmfchat"},
    };
    for (const Case& c : cases) EXPECT_EQ(support::WithDefaultExtensionCase(c.path, "ZPMFChat"), c.expected) << c.path;
    EXPECT_EQ(support::WithDefaultExtensionCase("C:\\a.zpmfchat", ""), "C:\\a.zpmfchat");
}

TEST(FileDialogLogic, SeveralFilesComeAsTheFolderAndTheirNames) {
    using V = std::vector<std::string>;
    const std::string folder = outside::esBuildFileName2("tmp", "Папка");
    EXPECT_EQ(support::MultiSelectPaths({folder, "a.txt", "б в.pdf"}),
              (V{outside::esBuildFileName2(folder, "a.txt"), outside::esBuildFileName2(folder, "б в.pdf")}));
    EXPECT_EQ(support::MultiSelectPaths({outside::esBuildFileName2(folder, "один.txt")}),
              V{outside::esBuildFileName2(folder, "один.txt")}) << "one file comes as its full path";
    EXPECT_EQ(support::MultiSelectPaths({}), V{});
}
