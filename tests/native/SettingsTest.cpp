// The settings over the real POSIX store in temporary config and data folders.
#include <gtest/gtest.h>

#include <regex>

#include "app/settings/modSettings.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using outside::SettingsStore;

namespace {

bool LooksLikeGuid(const std::string& text) {
    static const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    return std::regex_match(text, guid);
}

struct SettingsFixture : ::testing::Test {
    void SetUp() override { modSettings::ResetToDefaults(); }
    void TearDown() override { modSettings::ResetToDefaults(); }
    // As a new process would start on chat.
    void OpenChat(const std::string& chat) {
        modSettings::ResetToDefaults();
        openChat = chat;
        modSettings::LoadChatSettings(openChat);
    }

    testsupport::TempDir config, data;
    testsupport::ScopedEnv configHome{"XDG_CONFIG_HOME", config.path()};
    testsupport::ScopedEnv dataHome{"XDG_DATA_HOME", data.path()};
    const std::string chatA = "/home/ann/Чаты/Семья/Семья.ZPMFChat";
    const std::string chatB = "/home/ann/Чаты/Работа/Работа.ZPMFChat";
    std::string openChat = chatA;  // the chat whose settings the test reads and writes
    SettingsStore store;
};

struct ProgramWideSetting {
    const char* section;
    const char* key;
    bool* flag;       // a Boolean, or
    int32_t* colour;  // a colour
    int32_t defaultValue;
    int32_t Value() const { return flag ? *flag : *colour; }
};

// Every key LoadGlobalSettings reads, with its variable and default (Booleans as 0 or 1).
const ProgramWideSetting kProgramWide[] = {
    {"", "Send on Enter", &modSettings::SendOnEnter, nullptr, 0},
    {"Colors 2", "My Message Title Color", nullptr, &modSettings::MyMessageTitleColor, 32768},
    {"Colors 2", "My Message Body Color", nullptr, &modSettings::MyMessageBodyColor, 0},
    {"Colors 2", "Other Message Title Color", nullptr, &modSettings::OtherMessageTitleColor, 16711808},
    {"Colors 2", "Other Message Body Color", nullptr, &modSettings::OtherMessageBodyColor, 0},
    {"Colors 2", "System Message Title Color", nullptr, &modSettings::SystemMessageTitleColor, 255},
    {"Colors 2", "System Message Body Color", nullptr, &modSettings::SystemMessageBodyColor, 0},
    {"Colors 2", "Debug Message Title Color", nullptr, &modSettings::DebugMessageTitleColor, 8421631},
    {"Colors 2", "Debug Message Body Color", nullptr, &modSettings::DebugMessageBodyColor, 8421504},
    {"", "iChat Style Plugin", &modSettings::iChatStylePlugin, nullptr, 1},
    {"", "Name on Separate Line", &modSettings::NameOnSeparateLine, nullptr, 1},
    {"", "Clear Scrollback on Hide", &modSettings::ClearScrollbackOnHide, nullptr, 1},
    {"", "Clear Scrollback on Overflow", &modSettings::ClearScrollbackOnOverflow, nullptr, 1},
    {"", "New Style Timestamp", &modSettings::NewStyleTimestamp, nullptr, 0},
    {"Logs List", "Sort", &modSettings::SortLogsList, nullptr, 1},
    {"Logs List", "Descending Sort", &modSettings::SortLogsDescending, nullptr, 1},
    {"Logs List", "Group", &modSettings::GroupLogsList, nullptr, 0},
    {"Debug", "Show Debug Messages", &modSettings::ShowDebugMessages, nullptr, 0},
    {"Debug", "Show Message File Names", &modSettings::ShowMessageFileNames, nullptr, 0},
    {"Debug", "Send XML Messages", &modSettings::SendXMLMessages, nullptr, 0},
    {"", "Show Notifications", &modSettings::ShowNotifications, nullptr, 1},
};

constexpr int32_t kNotStored = 0x7A5A5A5A;

}  // namespace

TEST_F(SettingsFixture, FirstStartStoresEveryProgramWideDefaultThenStoredValuesLoadWithColoursCutTo24Bits) {
    modSettings::LoadClientGuid();
    modSettings::LoadGlobalSettings();
    for (const auto& s : kProgramWide) {
        // Booleans are numbers too, so one sentinel read shows the key is there.
        EXPECT_EQ(store.ReadLong(s.section, s.key, kNotStored), s.defaultValue) << "stored: " << s.key;
        EXPECT_EQ(s.Value(), s.defaultValue) << s.key;
        // Away from the default; colours with stray high bits.
        if (s.colour)
            store.WriteLong(s.section, s.key,
                            static_cast<int32_t>(0xFF000000u | (static_cast<uint32_t>(s.defaultValue) ^ 0x123456u)));
        else
            store.WriteBoolean(s.section, s.key, s.defaultValue == 0);
    }
    EXPECT_EQ(store.ReadString("Colors", "Custom Colors", "none"), "none") << "written only by its own window";
    modSettings::LoadGlobalSettings();
    for (const auto& s : kProgramWide) {
        const int32_t expected = s.colour ? (s.defaultValue ^ 0x123456) : (s.defaultValue == 0 ? 1 : 0);
        EXPECT_EQ(s.Value(), expected) << s.key;
        EXPECT_EQ(store.ReadLong(s.section, s.key, kNotStored), expected) << "stored back: " << s.key;
    }
}

TEST_F(SettingsFixture, TheClientGuidIsFixedByTheFirstStartAndABlankOneIsReplaced) {
    modSettings::LoadClientGuid();
    const std::string first = modSettings::ClientGuid;
    EXPECT_TRUE(LooksLikeGuid(first)) << first;
    modSettings::ResetToDefaults();
    modSettings::LoadClientGuid();
    EXPECT_EQ(modSettings::ClientGuid, first);
    for (const char* blank : {"", "\r\n\t "}) {
        store.WriteString("", "My GUID", blank);
        modSettings::LoadClientGuid();
        EXPECT_TRUE(LooksLikeGuid(modSettings::ClientGuid)) << '"' << blank << '"';
        EXPECT_NE(modSettings::ClientGuid, first);
        EXPECT_EQ(store.ReadString("", "My GUID", ""), modSettings::ClientGuid);
    }
}

TEST_F(SettingsFixture, EachChatStoresItsOwnSettingsAtItsFirstOpenAndKeepsThem) {
    OpenChat(chatA);
    EXPECT_EQ(modSettings::UserName, modSettings::GetDefaultUserName());
    EXPECT_TRUE(LooksLikeGuid(modSettings::LogGuid)) << modSettings::LogGuid;
    EXPECT_EQ(modSettings::LogsFolder, data.path() + "/Greyfen Works/Quillet/Logs/" + modSettings::LogGuid);
    EXPECT_EQ(store.ReadString("Nicks", chatA, "none"), modSettings::UserName);
    EXPECT_EQ(store.ReadString("Log GUIDs", chatA, "none"), modSettings::LogGuid);
    for (const char* section : {"Icon Style\\Tray", "Icon Style\\Message", "Icon Style\\Empty", "Icon Style\\Grayscale",
                                "Notification Mode\\Delete Message Files"})
        EXPECT_EQ(store.ReadLong(section, chatA, kNotStored), 0) << section;
    EXPECT_EQ(store.ReadLong("Notification Mode\\Hide Broken Message Files", chatA, kNotStored), 1);
    EXPECT_FALSE(modSettings::DeleteMessageFiles);
    EXPECT_TRUE(modSettings::HideBrokenMessageFiles);

    // A second chat keeps its own name, logs folder and icon styles.
    modSettings::UserName = "Анна";
    modSettings::TrayIconIndex = 3;
    modSettings::GrayMessageIcon = true;
    modSettings::DeleteMessageFiles = true;
    modSettings::RetentionDays = 12;
    modSettings::SaveChatSettings(openChat);
    const std::string logsA = modSettings::LogsFolder;
    OpenChat(chatB);
    EXPECT_EQ(modSettings::UserName, modSettings::GetDefaultUserName());
    EXPECT_EQ(modSettings::TrayIconIndex, 0);
    EXPECT_FALSE(modSettings::GrayMessageIcon);
    EXPECT_FALSE(modSettings::DeleteMessageFiles);
    EXPECT_EQ(modSettings::RetentionDays, 30);
    EXPECT_NE(modSettings::LogsFolder, logsA);
    OpenChat(chatA);
    EXPECT_EQ(modSettings::UserName, "Анна");
    EXPECT_EQ(modSettings::TrayIconIndex, 3);
    EXPECT_TRUE(modSettings::GrayMessageIcon);
    EXPECT_TRUE(modSettings::DeleteMessageFiles);
    EXPECT_EQ(modSettings::RetentionDays, 12);
    EXPECT_EQ(modSettings::LogsFolder, logsA) << "reopening keeps the log GUID";
}

TEST_F(SettingsFixture, IconIndicesOutsideZeroToSixLoadAndSaveAsZero) {
    const struct {
        int32_t stored, loaded;
    } cases[] = {{7, 0}, {-1, 0}, {6, 6}};
    const std::pair<const char*, int32_t*> indices[] = {{"Icon Style\\Tray", &modSettings::TrayIconIndex},
                                                        {"Icon Style\\Message", &modSettings::MessageIconIndex},
                                                        {"Icon Style\\Empty", &modSettings::EmptyIconIndex}};
    for (const auto& c : cases)
        for (const auto& [section, variable] : indices) {
            store.WriteLong(section, chatA, c.stored);
            OpenChat(chatA);
            EXPECT_EQ(*variable, c.loaded) << section << " " << c.stored;
            EXPECT_EQ(store.ReadLong(section, chatA, kNotStored), c.loaded) << section << " " << c.stored;
        }
}

TEST_F(SettingsFixture, ABlankLogGuidIsReplacedAndOneWithBlanksAroundIsTrimmed) {
    const std::string guid = "{0123ABCD-0000-4000-8000-00000000BEEF}";
    const struct {
        std::string stored;
        bool replaced;
    } cases[] = {{"", true}, {"\r\n \t", true}, {"  " + guid + "\r\n", false}};
    for (const auto& c : cases) {
        store.WriteString("Log GUIDs", chatA, c.stored);
        OpenChat(chatA);
        if (c.replaced) {
            EXPECT_TRUE(LooksLikeGuid(modSettings::LogGuid)) << modSettings::LogGuid;
            EXPECT_NE(modSettings::LogGuid, guid);
        } else {
            EXPECT_EQ(modSettings::LogGuid, guid);
        }
        EXPECT_EQ(store.ReadString("Log GUIDs", chatA, ""), modSettings::LogGuid) << "stored back";
    }
}
