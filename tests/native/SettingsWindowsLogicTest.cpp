// The settings windows' portable side: the custom colours text, which control
// edits which setting, the designs, and the choice of the Startup shortcut's path.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/support/CustomColorsText.h"
#include "outside/Support.h"

using namespace settings;
using support::CustomColors;
using support::TwipsRect;

namespace {

bool Inside(const TwipsRect& inner, const TwipsRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}
bool Overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

}  // namespace

TEST(CustomColorsText, EverySixteenColoursComeBack) {
    CustomColors distinct{};
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = static_cast<uint32_t>(0x010203 * (i + 1) + i * 0x1000);
    CustomColors extremes{};
    extremes.fill(0x00FFFFFF);
    extremes[0] = 0;
    extremes[7] = 0x000000FF;   // red
    extremes[15] = 0x00FF0000;  // blue
    for (const CustomColors& colors : {distinct, extremes}) {
        const std::string text = support::FormatCustomColors(colors);
        EXPECT_EQ(support::ParseCustomColors(text), colors) << text;
    }
    // Red is written as people read colours.
    EXPECT_EQ(support::FormatCustomColors(extremes).substr(0, 16), "#000000,#FFFFFF,");
    EXPECT_EQ(support::FormatCustomColors(extremes).substr(7 * 8, 7), "#FF0000");
}

TEST(CustomColorsText, DamagedTextLeavesTheRestUnset) {
    constexpr uint32_t unset = support::kUnsetCustomColor;
    struct Case {
        const char* text;
        std::map<size_t, uint32_t> set;  // the slots that are not unset
    } cases[] = {
        {"", {}},
        {"#FF0000", {{0, 0x000000FF}}},
        {"garbage,#00ff00", {{1, 0x0000FF00}}},
        {" #0000FF , #FFFFFG,#12345", {{0, 0x00FF0000}}},
        {"#000000,,#000000", {{0, 0}, {2, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CustomColors parsed = support::ParseCustomColors(c.text);
        for (size_t i = 0; i < parsed.size(); ++i) {
            const auto it = c.set.find(i);
            EXPECT_EQ(parsed[i], it == c.set.end() ? unset : it->second) << "slot " << i;
        }
    }
    // Past sixteen entries the text is ignored.
    std::string seventeen;
    for (int i = 0; i < 16; ++i) seventeen += "#111111,";
    const CustomColors parsed = support::ParseCustomColors(seventeen + "#000000");
    EXPECT_EQ(parsed[0], 0x111111u);
    EXPECT_EQ(parsed[15], 0x111111u);
}

TEST(SettingsWindowsLogic, OverflowCaptionShowsTheCount) {
    struct Case {
        const char* designed;
        const char* shown;
    } cases[] = {
        {"Очищать сообщения после %1 входящих", "Очищать сообщения после 300 входящих"},
        {"%1%1", "300300"},
        {"без числа", "без числа"},
        {"%2 и %", "%2 и %"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownSwitchCaption(c.designed), c.shown);
    EXPECT_NE(std::string(Switches()[kOverflowSwitch].caption).find("%1"), std::string::npos);
}

TEST(SettingsWindowsLogic, LayoutsKeepEveryControlInsideAndApartAndFitWideCaptions) {
    const auto checkAll = [](const std::vector<TwipsRect>& controls, const TwipsRect& area, const char* what) {
        for (size_t i = 0; i < controls.size(); ++i) {
            EXPECT_TRUE(Inside(controls[i], area)) << what << " control " << i;
            for (size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(Overlap(controls[i], controls[j])) << what << " controls " << i << " and " << j;
        }
    };
    struct GlobalCase {
        int switchWidth, labelWidth;
    } globalCases[] = {{0, 0}, {5000, 2000}, {7200, 0}, {0, 3100}, {7200, 3100}};
    for (const auto& c : globalCases) {
        SCOPED_TRACE(std::to_string(c.switchWidth) + " " + std::to_string(c.labelWidth));
        const GlobalLayout l = LayoutGlobalSettings(c.switchWidth, c.labelWidth);
        std::vector<TwipsRect> controls(l.switches.begin(), l.switches.end());
        controls.insert(controls.end(), l.colors.begin(), l.colors.end());
        controls.insert(controls.end(), l.rowLabels.begin(), l.rowLabels.end());
        controls.push_back(l.titleLabel);
        controls.push_back(l.bodyLabel);
        controls.insert(controls.end(), l.commands.begin(), l.commands.end());
        checkAll(controls, {0, 0, l.clientWidth, kGlobalClientHeight}, "global");
        for (const TwipsRect& r : l.switches) EXPECT_GE(r.width, c.switchWidth);
        for (const TwipsRect& r : l.rowLabels) EXPECT_GE(r.width, c.labelWidth);
        EXPECT_EQ(l.clientWidth - (l.commands[2].left + l.commands[2].width), 120) << "buttons keep to the right";
    }
    // The design itself where the captions fit, one switch row taller: the
    // notifications switch under the twelve, the rest moved down by its row.
    const GlobalLayout design = LayoutGlobalSettings();
    EXPECT_EQ(design.clientWidth, 6015);
    EXPECT_EQ(kGlobalClientHeight, 7095 + 360);
    EXPECT_EQ(design.switches[11], (TwipsRect{180, 180 + 360 * 11, 5655, 255}));
    EXPECT_EQ(design.switches[12], (TwipsRect{180, 180 + 360 * 12, 5655, 255}));
    EXPECT_STREQ(Switches()[12].name, "chkShowNotifications");
    EXPECT_EQ(design.colors[6], (TwipsRect{2700, 6000 + 360, 1575, 315}));
    EXPECT_EQ(design.colors[7], (TwipsRect{4380, 6000 + 360, 1515, 315}));
    EXPECT_EQ(design.titleLabel.top, 4620 + 360);
    EXPECT_EQ(design.commands[0], (TwipsRect{1500, 6540 + 360, 1395, 435}));
    const char* colorNames[kColorCount] = {
        "Мои сообщения, заголовок",          "Мои сообщения, текст",
        "Сообщения собеседников, заголовок", "Сообщения собеседников, текст",
        "Системные сообщения, заголовок",    "Системные сообщения, текст",
        "Отладочные сообщения, заголовок",   "Отладочные сообщения, текст",
    };
    for (size_t i = 0; i < kColorCount; ++i) EXPECT_EQ(ColorButtonName(i), colorNames[i]);

    // Check boxes, then the shared-folder box and the days label, each as the font draws them.
    const int localCases[][3] = {{0, 0, 0}, {5000, 0, 0}, {6500, 0, 0}, {0, 4500, 2000}, {5000, 5200, 1600}};
    for (const auto& [checkWidth, sharedWidth, labelWidth] : localCases) {
        SCOPED_TRACE(std::to_string(checkWidth) + " " + std::to_string(sharedWidth) + " " + std::to_string(labelWidth));
        const LocalLayout l = LayoutLocalSettings(checkWidth, sharedWidth, labelWidth);
        std::vector<TwipsRect> free = {l.userNameLabel,      l.userName,     l.defaultUserName,
                                       l.deleteMessageFiles, l.hideBrokenMessageFiles, l.autorunLabel,
                                       l.addToAutorun,       l.sharedFolder, l.retentionDaysLabel,
                                       l.retentionDays};
        free.insert(free.end(), l.commands.begin(), l.commands.end());
        free.insert(free.end(), l.frames.begin(), l.frames.end());
        checkAll(free, {0, 0, l.clientWidth, kLocalClientHeight}, "local");
        for (size_t g = 0; g < kIconGroupCount; ++g) {
            std::vector<TwipsRect> inFrame(l.options[g].begin(), l.options[g].end());
            inFrame.insert(inFrame.end(), l.samples[g].begin(), l.samples[g].end());
            if (g == static_cast<size_t>(IconGroup::Message)) inFrame.push_back(l.grayMessageIcon);
            checkAll(inFrame, l.frames[g], "frame");
        }
        for (const TwipsRect& r : {l.deleteMessageFiles, l.hideBrokenMessageFiles, l.grayMessageIcon})
            EXPECT_GE(r.width, checkWidth);
        EXPECT_GE(l.sharedFolder.width, sharedWidth);
        EXPECT_GE(l.retentionDaysLabel.width, labelWidth);
    }
    // The design, with the shared-folder rows under the notification modes and the rest two rows lower.
    const LocalLayout local = LayoutLocalSettings();
    const int row = kSharedFolderRowHeight;
    EXPECT_EQ(local.clientWidth, 6015);
    EXPECT_EQ(local.sharedFolder.top, 1440);
    EXPECT_EQ(local.retentionDaysLabel.top, 1440 + 360 + 30) << "the days under the check box";
    EXPECT_EQ(local.frames[2], (TwipsRect{120, 3900 + row, 5775, 915}));
    EXPECT_EQ(local.options[1][6], (TwipsRect{120 + 240 + 780 * 6, 2580 + row + 420, 255, 255}));
    EXPECT_EQ(local.samples[0][0], (TwipsRect{120 + 540, 1560 + row + 420, 240, 240}));
    EXPECT_EQ(local.addToAutorun, (TwipsRect{4740, 5040 + row, 1155, 735}));
    EXPECT_EQ(local.commands[2], (TwipsRect{4500, 6000 + row, 1395, 435}));
}

TEST(SettingsWindowsLogic, SampleResourcesByGroupAndGrey) {
    EXPECT_EQ(IconSampleResource(IconGroup::Tray, 3, true), "IDI_TRAY_3");
    EXPECT_EQ(IconSampleResource(IconGroup::Empty, 6, true), "IDI_EMPTY_6");
    EXPECT_EQ(IconSampleResource(IconGroup::Message, 0, false), "IDI_MESSAGE_0");
    EXPECT_EQ(IconSampleResource(IconGroup::Message, 0, true), "IDI_MESSAGE_0A");
}

TEST(SettingsWindowsLogic, StripExtensionCutsOnlyTheLast) {
    struct Case {
        const char* name;
        const char* stripped;
    } cases[] = {
        {"Team.ZPMFChat.LNK", "Team.ZPMFChat"}, {"Team.ZPMFChat", "Team"}, {"Team", "Team"},
        {"Беседа.ярлык", "Беседа"},             {".LNK", ""},              {"name.", "name."},
    };
    for (const auto& c : cases) EXPECT_EQ(StripExtension(c.name), c.stripped) << c.name;
}

TEST(SettingsWindowsLogic, ShortcutNameArgumentsAndQuestion) {
    const std::string chat = outside::esBuildFileName2("chats", "Дом", "Team.ZPMFChat");
    EXPECT_EQ(AutorunShortcutName(chat), "Team.ZPMFChat.LNK");
    EXPECT_EQ(AutorunArguments(chat), "/H \"" + chat + "\"");
    EXPECT_EQ(ShortcutExistsQuestion("X:\\a.LNK"),
              "X:\\a.LNK\r\n\r\nЯрлык уже существует. Возможно, данный чат уже добавлен в автозагрузку, а может быть "
              "просто имена файлов совпали.\r\n\r\nЗаменить существующий ярлык?\r\n\r\nДа     - заменить.\r\nНет    - "
              "задать новое имя файла.\r\nОтмена - не создавать ничего.");
}

TEST(SettingsWindowsLogic, AutorunLinkPathAsksUntilAFreeNameOrAStop) {
    const std::string folder = "Startup";
    const std::string chat = outside::esBuildFileName2("chats", "Team.ZPMFChat");
    const auto in = [&](const std::string& name) { return outside::esBuildFileName2(folder, name); };
    using A = ReplaceAnswer;
    struct Case {
        const char* what;
        std::set<std::string> existing;
        std::vector<A> answers;
        std::vector<std::optional<std::string>> names;  // input box answers
        std::optional<std::string> result;
        std::vector<std::string> proposed;  // default answers the input box showed
    } cases[] = {
        {"free name", {}, {}, {}, in("Team.ZPMFChat.LNK"), {}},
        {"cancel", {in("Team.ZPMFChat.LNK")}, {A::Cancel}, {}, std::nullopt, {}},
        {"yes replaces", {in("Team.ZPMFChat.LNK")}, {A::Yes}, {}, in("Team.ZPMFChat.LNK"), {}},
        {"no, new name", {in("Team.ZPMFChat.LNK")}, {A::No}, {"Второй"}, in("Второй.LNK"), {"Team.ZPMFChat"}},
        {"no, empty name", {in("Team.ZPMFChat.LNK")}, {A::No}, {""}, std::nullopt, {"Team.ZPMFChat"}},
        {"no, input cancelled", {in("Team.ZPMFChat.LNK")}, {A::No}, {std::nullopt}, std::nullopt, {"Team.ZPMFChat"}},
        {"typed extension doubles", {in("Team.ZPMFChat.LNK")}, {A::No}, {"X.LNK"}, in("X.LNK.LNK"), {"Team.ZPMFChat"}},
        {"second name taken too",
         {in("Team.ZPMFChat.LNK"), in("B.LNK")},
         {A::No, A::No},
         {"B", "C"},
         in("C.LNK"),
         {"Team.ZPMFChat", "B"}},
        {"second name taken, yes", {in("Team.ZPMFChat.LNK"), in("B.LNK")}, {A::No, A::Yes}, {"B"}, in("B.LNK"),
         {"Team.ZPMFChat"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        size_t answer = 0, name = 0;
        std::vector<std::string> questions, proposed;
        AutorunPrompts prompts;
        prompts.fileExists = [&](const std::string& path) { return c.existing.count(path) > 0; };
        prompts.askReplace = [&](const std::string& question) {
            questions.push_back(question);
            return answer < c.answers.size() ? c.answers[answer++] : A::Cancel;
        };
        prompts.askName = [&](const std::string& prompt, const std::string& proposal) {
            EXPECT_EQ(prompt, kNewShortcutNamePrompt);
            proposed.push_back(proposal);
            return name < c.names.size() ? c.names[name++] : std::nullopt;
        };
        EXPECT_EQ(ChooseAutorunLinkPath(folder, chat, prompts), c.result);
        EXPECT_EQ(answer, c.answers.size()) << "every answer was asked for";
        EXPECT_EQ(proposed, c.proposed);
        for (const auto& q : questions) EXPECT_EQ(q.rfind(folder, 0), 0u) << "the question starts with the link path";
    }
}
