// The entry window's layout, keys and texts, and the file dialog's filter and extension rules.
#include <gtest/gtest.h>

#include "outside/Support.h"

#include "app/startup/LoginWindowLogic.h"
#include "app/support/FileDialogLogic.h"
#include "support/WindowLogic.h"

using namespace startup;
using namespace testsupport;

TEST(LoginWindowLogic, EveryTextGetsItsMeasuredHeightBesideItsButtonWithoutOverlap) {
    // Heights of Tahoma 9 at 96 and 120 DPI, of a wide fallback font, and texts shorter than the buttons.
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
        ExpectInsideAndApart(all, {0, 0, l.clientWidth, l.clientHeight}, "entry window");
        for (int i = 0; i < kLabelCount; ++i) {
            EXPECT_EQ(l.labels[i].height, heights[i]) << "text " << i << " is not cut";
            EXPECT_EQ(l.labels[i].width, kLoginTextWidth);
            EXPECT_GE(l.labels[i].left, l.buttons[i / 2].left + l.buttons[i / 2].width) << "beside its button";
        }
        for (int row = 0; row < kLoginButtonCount; ++row) {
            const TwipsRect &caption = l.labels[2 * row], &button = l.buttons[row];
            EXPECT_LT(caption.top, button.top + button.height) << "caption " << row << " level with its button";
            EXPECT_GE(caption.top, button.top);
            if (row + 1 < kLoginButtonCount) {
                EXPECT_LT(l.labels[2 * row + 1].top, l.buttons[row + 1].top) << "explanation before the next row";
                EXPECT_GT(l.labels[2 * row + 1].top, caption.top) << "explanation under its caption";
            } else if (caption.height < button.height) {  // the exit caption stands level with the button's middle
                EXPECT_NEAR(caption.top - button.top, button.top + button.height - caption.top - caption.height, 1);
            }
        }
        EXPECT_GE(l.clientHeight, l.labels[4].top + l.labels[4].height + kLoginMargin);
    }
}

TEST(LoginWindowLogic, KeysActOnlyWithTheirExactModifiers) {
    using support::kVkEscape, support::kVkF1, support::kVkReturn;
    const std::tuple<int, support::Modifiers, bool, LoginKey> cases[] = {
        {kVkF1, kNone, false, LoginKey::ReadMe},       {kVkF1, kShift, false, LoginKey::About},
        {kVkF1, kCtrl, true, LoginKey::None},          {kVkEscape, kNone, false, LoginKey::Close},
        {kVkEscape, kNone, true, LoginKey::Close},     {kVkEscape, kShift, false, LoginKey::Swallow},
        {kVkEscape, kCtrl, false, LoginKey::Swallow},  {kVkEscape, kAlt, false, LoginKey::Swallow},
        {kVkReturn, kNone, true, LoginKey::Press},     {kVkSpace, kNone, true, LoginKey::Press},
        {kVkReturn, kNone, false, LoginKey::None},     {kVkReturn, kCtrl, true, LoginKey::None},
        {kVkSpace, kShift, true, LoginKey::None},      {support::kVkTab, kNone, true, LoginKey::None},
    };
    for (const auto& [key, modifiers, onButton, expected] : cases)
        EXPECT_EQ(LoginKeyFor(key, modifiers, onButton), expected)
            << key << " shift " << modifiers.shift << " ctrl " << modifiers.ctrl << " alt " << modifiers.alt;
}

TEST(LoginWindowLogic, DeviceNamesAreNoFiles) {
    for (const char* name : {"NUL", "con", "Aux.ZPMFChat", "PRN.txt.ZPMFChat", "COM1", "lpt9 .ZPMFChat", "Con  "})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"Беседа.ZPMFChat", "CONSOLE.ZPMFChat", "COM0", "COM10", "LPT", "NULL", "xNUL", ""})
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

TEST(LoginWindowLogic, LabelTextsAreWhole) {
    // One line each: the program's copy is split over lines, where a blank is easily lost at a join.
    const std::array<std::string, kLabelCount> expected = {
        "Создать файл чата",
        "Эту кнопку следует нажимать, если чат ещё никто не создал или вы хотите создать другой чат. Перед тем как нажать её, откройте папку дропбокса, создайте в ней новую папку с каким-нибудь понятным именем вроде \"Чат с семьёй\" и сделайте её общей. Пригласите в неё всех, кто долежен принять участие в чате. После этого кнопку можно нажимать - появится окно, в котором вам нужно выбрать созданную общую папку и сохранить файл чата с именем вроде \"Беседа\". После этого другие участники чата смогут в него войти, открыв этот файл.",
        "Открыть файл чата",
        "Нажмите эту кнопку чтобы войти в чат, ранее созданный в общей папке дропбокса. Кстати! Ещё быстрее это можно сделать, открыв папку и дважды щёлкнув на файле чата - у него будет иконка как у этой программы.",
        "Выход из программы",
    };
    for (int i = 0; i < kLabelCount; ++i) EXPECT_EQ(kLoginLabels[i], expected[i]) << "lblTag " << i;
}

TEST(FileDialogLogic, FilterPairsAndTheDefaultExtensionsLetterCase) {
    using support::FilterEntry;
    const std::pair<const char*, std::vector<FilterEntry>> filters[] = {
        {"Файлы чата|*.ZPMFChat|Все файлы|*.*", {{"Файлы чата", "*.ZPMFChat"}, {"Все файлы", "*.*"}}},
        {"Тексты|*.txt;*.log", {{"Тексты", "*.txt;*.log"}}},
        {"Файлы чата|*.ZPMFChat|Без шаблона", {{"Файлы чата", "*.ZPMFChat"}}},
        {"|*.x|Все|*.*|Пусто|", {{"Все", "*.*"}}},
        {"", {}},
    };
    for (const auto& [filter, expected] : filters) EXPECT_EQ(support::SplitFilter(filter), expected) << filter;
    const std::pair<const char*, const char*> paths[] = {
        {"C:\\Чаты\\Беседа.zpmfCHAT", "C:\\Чаты\\Беседа.ZPMFChat"},
        {"C:\\Чаты\\Беседа.zpmfchai", "C:\\Чаты\\Беседа.zpmfchai"},
        {"C:\\Чаты\\Беседа.zpmfchat.txt", "C:\\Чаты\\Беседа.zpmfchat.txt"},
        {"zpmfchat", "zpmfchat"},
        {"C:\\Чаты\\.zpmfchat", "C:\\Чаты\\.zpmfchat"},
        {"C:/Чаты/.zpmfchat", "C:/Чаты/.zpmfchat"},
    };
    for (const auto& [path, expected] : paths)
        EXPECT_EQ(support::WithDefaultExtensionCase(path, "ZPMFChat"), expected) << path;
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
