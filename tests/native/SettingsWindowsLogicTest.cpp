// The settings windows' portable side: custom colours, texts, layouts, the Startup shortcut's path.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/support/CustomColorsText.h"
#include "outside/Support.h"
#include "support/WindowLogic.h"

using namespace settings;
using support::CustomColors;
using testsupport::ExpectInsideAndApart;

TEST(CustomColorsText, EverySixteenColoursComeBackAndDamagedTextLeavesTheRestUnset) {
    CustomColors extremes{};
    extremes.fill(0x00FFFFFF);
    extremes[0] = 0;
    extremes[7] = 0x000000FF;   // red
    extremes[15] = 0x00FF0000;  // blue
    EXPECT_EQ(support::ParseCustomColors(support::FormatCustomColors(extremes)), extremes);
    // Red is written as people read colours.
    EXPECT_EQ(support::FormatCustomColors(extremes).substr(0, 16), "#000000,#FFFFFF,");
    EXPECT_EQ(support::FormatCustomColors(extremes).substr(7 * 8, 7), "#FF0000");

    std::string seventeen;  // past sixteen entries the text is ignored
    std::map<size_t, uint32_t> sixteen;
    for (size_t i = 0; i < 16; ++i) seventeen += "#111111,", sixteen[i] = 0x111111;
    const std::pair<std::string, std::map<size_t, uint32_t>> cases[] = {  // the slots that are not unset
        {"", {}},
        {"#FF0000", {{0, 0x000000FF}}},
        {"garbage,#00ff00", {{1, 0x0000FF00}}},
        {" #0000FF , #FFFFFG,#12345", {{0, 0x00FF0000}}},
        {"#000000,,#000000", {{0, 0}, {2, 0}}},
        {seventeen + "#000000", sixteen},
    };
    for (const auto& [text, set] : cases) {
        const CustomColors parsed = support::ParseCustomColors(text);
        for (size_t i = 0; i < parsed.size(); ++i)
            EXPECT_EQ(parsed[i], set.count(i) ? set.at(i) : support::kUnsetCustomColor) << text << " slot " << i;
    }
}

TEST(SettingsWindowsLogic, TextsOfTheWindows) {
    const std::pair<const char*, const char*> captions[] = {
        {"Очищать сообщения после %1 входящих", "Очищать сообщения после 300 входящих"},
        {"%1%1", "300300"},
        {"без числа", "без числа"},
        {"%2 и %", "%2 и %"},
    };
    for (const auto& [designed, shown] : captions) EXPECT_EQ(ShownSwitchCaption(designed), shown);
    EXPECT_NE(std::string(Switches()[kOverflowSwitch].caption).find("%1"), std::string::npos);
    const char* colorNames[kColorCount] = {
        "Мои сообщения, заголовок",          "Мои сообщения, текст",
        "Сообщения собеседников, заголовок", "Сообщения собеседников, текст",
        "Системные сообщения, заголовок",    "Системные сообщения, текст",
        "Отладочные сообщения, заголовок",   "Отладочные сообщения, текст",
    };
    for (size_t i = 0; i < kColorCount; ++i) EXPECT_EQ(ColorButtonName(i), colorNames[i]);
    EXPECT_EQ(IconSampleResource(IconGroup::Tray, 3, true), "IDI_TRAY_3");
    EXPECT_EQ(IconSampleResource(IconGroup::Empty, 6, true), "IDI_EMPTY_6");
    EXPECT_EQ(IconSampleResource(IconGroup::Message, 0, false), "IDI_MESSAGE_0");
    EXPECT_EQ(IconSampleResource(IconGroup::Message, 0, true), "IDI_MESSAGE_0A");
}

TEST(SettingsWindowsLogic, LayoutsKeepEveryControlInsideAndApartAndFitWideCaptions) {
    for (const auto& [switchWidth, labelWidth] : {std::pair{0, 0}, {5000, 2000}, {7200, 0}, {0, 3100}, {7200, 3100}}) {
        SCOPED_TRACE(std::to_string(switchWidth) + " " + std::to_string(labelWidth));
        const GlobalLayout l = LayoutGlobalSettings(switchWidth, labelWidth);
        std::vector<TwipsRect> controls(l.switches.begin(), l.switches.end());
        controls.insert(controls.end(), l.colors.begin(), l.colors.end());
        controls.insert(controls.end(), l.rowLabels.begin(), l.rowLabels.end());
        controls.insert(controls.end(), {l.titleLabel, l.bodyLabel});
        controls.insert(controls.end(), l.commands.begin(), l.commands.end());
        ExpectInsideAndApart(controls, {0, 0, l.clientWidth, kGlobalClientHeight}, "program settings");
        for (const TwipsRect& r : l.switches) EXPECT_GE(r.width, switchWidth);
        for (const TwipsRect& r : l.rowLabels) EXPECT_GE(r.width, labelWidth);
        EXPECT_EQ(l.clientWidth - (l.commands[2].left + l.commands[2].width), 120) << "buttons keep to the right";
        // The notifications switch is a thirteenth row under the twelve.
        EXPECT_EQ(l.switches[12].top, l.switches[11].top + kGlobalSwitchPitch);
    }
    // Check boxes, then the shared-folder box and the days label, each as the font draws them.
    const int localCases[][3] = {{0, 0, 0},       {5000, 0, 0},       {6500, 0, 0},
                                 {0, 4500, 2000}, {5000, 5200, 1600}, {0, 0, 3000}};
    for (const auto& [checkWidth, sharedWidth, labelWidth] : localCases) {
        SCOPED_TRACE(std::to_string(checkWidth) + " " + std::to_string(sharedWidth) + " " + std::to_string(labelWidth));
        const LocalLayout l = LayoutLocalSettings(checkWidth, sharedWidth, labelWidth);
        std::vector<TwipsRect> free = {l.userNameLabel, l.userName,     l.defaultUserName,    l.deleteMessageFiles,
                                       l.hideBrokenMessageFiles, l.autorunLabel, l.addToAutorun, l.sharedFolder,
                                       l.retentionDaysLabel,     l.retentionDays};
        free.insert(free.end(), l.commands.begin(), l.commands.end());
        free.insert(free.end(), l.frames.begin(), l.frames.end());
        ExpectInsideAndApart(free, {0, 0, l.clientWidth, kLocalClientHeight}, "chat settings");
        for (size_t g = 0; g < kIconGroupCount; ++g) {
            std::vector<TwipsRect> inFrame(l.options[g].begin(), l.options[g].end());
            inFrame.insert(inFrame.end(), l.samples[g].begin(), l.samples[g].end());
            if (g == static_cast<size_t>(IconGroup::Message)) inFrame.push_back(l.grayMessageIcon);
            ExpectInsideAndApart(inFrame, l.frames[g], "frame");
        }
        for (const TwipsRect& r : {l.deleteMessageFiles, l.hideBrokenMessageFiles, l.grayMessageIcon})
            EXPECT_GE(r.width, checkWidth);
        EXPECT_GE(l.sharedFolder.width, sharedWidth);
        EXPECT_GE(l.retentionDaysLabel.width, labelWidth);
        EXPECT_GT(l.retentionDaysLabel.top, l.sharedFolder.top) << "the days under the shared-folder box";
    }
    // The designs to the twip: below the thirteenth switch 360 lower, below the shared-folder rows 720 lower.
    const GlobalLayout g = LayoutGlobalSettings();
    const LocalLayout c = LayoutLocalSettings();
    const std::pair<TwipsRect, TwipsRect> designed[] = {
        {g.switches[11], {180, 180 + 360 * 11, 5655, 255}},
        {g.switches[12], {180, 180 + 360 * 12, 5655, 255}},
        {g.colors[6], {2700, 6000 + 360, 1575, 315}},
        {g.colors[7], {4380, 6000 + 360, 1515, 315}},
        {g.titleLabel, {2700, 4620 + 360, 1575, 225}},
        {g.commands[0], {1500, 6540 + 360, 1395, 435}},
        {c.sharedFolder, {180, 1440, 5715, 255}},
        {c.retentionDaysLabel, {180 + 255, 1440 + 360 + 30, 2580, 225}},
        {c.frames[2], {120, 3900 + 720, 5775, 915}},
        {c.options[1][6], {120 + 240 + 780 * 6, 2580 + 720 + 420, 255, 255}},
        {c.samples[0][0], {120 + 540, 1560 + 720 + 420, 240, 240}},
        {c.addToAutorun, {4740, 5040 + 720, 1155, 735}},
        {c.commands[2], {4500, 6000 + 720, 1395, 435}},
    };
    for (size_t i = 0; i < std::size(designed); ++i) EXPECT_EQ(designed[i].first, designed[i].second) << "row " << i;
    EXPECT_EQ(std::vector<int>({g.clientWidth, kGlobalClientHeight, c.clientWidth, kLocalClientHeight}),
              std::vector<int>({6015, 7095 + 360, 6015, 6555 + 720}));
    EXPECT_STREQ(Switches()[12].name, "chkShowNotifications");
}

TEST(SettingsWindowsLogic, RetentionDaysFromTheBox) {
    // Anything but a whole number of at least one day keeps the default.
    const std::pair<const char*, int32_t> cases[] = {
        {"7", 7}, {" 1 ", 1}, {"9999", 9999}, {"123456789", 9999}, {"0", 30},
        {"", 30}, {"-5", 30}, {"12a", 30},    {"1234567890", 30},
    };
    for (const auto& [text, days] : cases) EXPECT_EQ(RetentionDaysFromText(text), days) << text;
}

TEST(SettingsWindowsLogic, ShortcutNameArgumentsAndQuestion) {
    const std::pair<const char*, const char*> names[] = {
        {"Team.ZPMFChat.LNK", "Team.ZPMFChat"}, {"Team.ZPMFChat", "Team"}, {"Team", "Team"},
        {"Беседа.ярлык", "Беседа"},             {".LNK", ""},              {"name.", "name."},
    };
    for (const auto& [name, stripped] : names) EXPECT_EQ(StripExtension(name), stripped) << name;
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
    const std::string taken = in("Team.ZPMFChat.LNK");
    struct Case {
        const char* what;
        std::set<std::string> existing;
        std::vector<A> answers;
        std::vector<std::optional<std::string>> names;  // input box answers
        std::optional<std::string> result;
        std::vector<std::string> proposed;  // default answers the input box showed
    } cases[] = {
        {"free name", {}, {}, {}, taken, {}},
        {"cancel", {taken}, {A::Cancel}, {}, std::nullopt, {}},
        {"yes replaces", {taken}, {A::Yes}, {}, taken, {}},
        {"no, new name", {taken}, {A::No}, {"Второй"}, in("Второй.LNK"), {"Team.ZPMFChat"}},
        {"no, empty name", {taken}, {A::No}, {""}, std::nullopt, {"Team.ZPMFChat"}},
        {"no, input cancelled", {taken}, {A::No}, {std::nullopt}, std::nullopt, {"Team.ZPMFChat"}},
        {"typed extension doubles", {taken}, {A::No}, {"X.LNK"}, in("X.LNK.LNK"), {"Team.ZPMFChat"}},
        {"second name taken too", {taken, in("B.LNK")}, {A::No, A::No}, {"B", "C"}, in("C.LNK"), {"Team.ZPMFChat", "B"}},
        {"second name taken, yes", {taken, in("B.LNK")}, {A::No, A::Yes}, {"B"}, in("B.LNK"), {"Team.ZPMFChat"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        size_t answer = 0, name = 0;
        std::vector<std::string> proposed;
        AutorunPrompts prompts;
        prompts.fileExists = [&](const std::string& path) { return c.existing.count(path) > 0; };
        prompts.askReplace = [&](const std::string& question) {
            EXPECT_EQ(question.rfind(folder, 0), 0u) << "the question starts with the link path";
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
    }
}
