#include "modSettings.h"

#include "outside/SettingsStore.h"
#include "outside/Support.h"

namespace modSettings {
namespace {

// Colours keep only their low 24 bits: 0x00BBGGRR.
constexpr int32_t kColorMask = 0x00FFFFFF;

constexpr int32_t kDefaultMyMessageTitleColor = 0x00008000;
constexpr int32_t kDefaultMyMessageBodyColor = 0x00000000;
constexpr int32_t kDefaultOtherMessageTitleColor = 0x00FF0080;
constexpr int32_t kDefaultOtherMessageBodyColor = 0x00000000;
constexpr int32_t kDefaultSystemMessageTitleColor = 0x000000FF;
constexpr int32_t kDefaultSystemMessageBodyColor = 0x00000000;
constexpr int32_t kDefaultDebugMessageTitleColor = 0x008080FF;
constexpr int32_t kDefaultDebugMessageBodyColor = 0x00808080;

constexpr int32_t kLastIconIndex = 6;

// The program-wide settings that LoadGlobalSettings reads and SaveGlobalSettings
// writes, in their order ("My GUID" has its own load).
struct LongSetting {
    const char* section;
    const char* key;
    int32_t* variable;
    int32_t defaultValue;
};
struct BooleanSetting {
    const char* section;
    const char* key;
    bool* variable;
    bool defaultValue;
};

const LongSetting kColorSettings[] = {
    {"Colors 2", "My Message Title Color", &MyMessageTitleColor, kDefaultMyMessageTitleColor},
    {"Colors 2", "My Message Body Color", &MyMessageBodyColor, kDefaultMyMessageBodyColor},
    {"Colors 2", "Other Message Title Color", &OtherMessageTitleColor, kDefaultOtherMessageTitleColor},
    {"Colors 2", "Other Message Body Color", &OtherMessageBodyColor, kDefaultOtherMessageBodyColor},
    {"Colors 2", "System Message Title Color", &SystemMessageTitleColor, kDefaultSystemMessageTitleColor},
    {"Colors 2", "System Message Body Color", &SystemMessageBodyColor, kDefaultSystemMessageBodyColor},
    {"Colors 2", "Debug Message Title Color", &DebugMessageTitleColor, kDefaultDebugMessageTitleColor},
    {"Colors 2", "Debug Message Body Color", &DebugMessageBodyColor, kDefaultDebugMessageBodyColor},
};

const BooleanSetting kSendOnEnter = {"", "Send on Enter", &SendOnEnter, false};

// After the colours.
const BooleanSetting kSwitchSettings[] = {
    {"", "iChat Style Plugin", &iChatStylePlugin, true},
    {"", "Name on Separate Line", &NameOnSeparateLine, true},
    {"", "Clear Scrollback on Hide", &ClearScrollbackOnHide, true},
    {"", "Clear Scrollback on Overflow", &ClearScrollbackOnOverflow, true},
    {"", "New Style Timestamp", &NewStyleTimestamp, false},
    {"Logs List", "Sort", &SortLogsList, true},
    {"Logs List", "Descending Sort", &SortLogsDescending, true},
    {"Logs List", "Group", &GroupLogsList, false},
    {"Debug", "Show Debug Messages", &ShowDebugMessages, false},
    {"Debug", "Show Message File Names", &ShowMessageFileNames, false},
    {"Debug", "Send XML Messages", &SendXMLMessages, false},
    {"", "Show Notifications", &ShowNotifications, true},
};

// Per-chat sections; the key is the chat file's full path (ChatFilePath).
const std::string kNicks = "Nicks";
const std::string kLogGuids = "Log GUIDs";
const std::string kDeleteMessageFiles = "Notification Mode\\Delete Message Files";
const std::string kHideBrokenMessageFiles = "Notification Mode\\Hide Broken Message Files";
const std::string kTrayIcon = "Icon Style\\Tray";
const std::string kMessageIcon = "Icon Style\\Message";
const std::string kEmptyIcon = "Icon Style\\Empty";
const std::string kGrayscale = "Icon Style\\Grayscale";
const std::string kSharedFolder = "Notification Mode\\Shared Folder";
const std::string kRetentionDays = "Notification Mode\\Retention Days";

int32_t ValidIconIndex(int32_t index) { return index < 0 || index > kLastIconIndex ? 0 : index; }
// No retention (0) would delete one's own files before the others have them.
int32_t ValidRetentionDays(int32_t days) { return days < 1 || days > kMaxRetentionDays ? kDefaultRetentionDays : days; }

// GUIDs with blanks, line breaks, tabs or U+0000 around them are the same GUID.
std::string TrimGuid(const std::string& text) { return outside::asTrimEx2(text, true, true, true, true, true); }

}  // namespace

std::string ClientGuid;
bool SendOnEnter = false;
int32_t MyMessageTitleColor = kDefaultMyMessageTitleColor;
int32_t MyMessageBodyColor = kDefaultMyMessageBodyColor;
int32_t OtherMessageTitleColor = kDefaultOtherMessageTitleColor;
int32_t OtherMessageBodyColor = kDefaultOtherMessageBodyColor;
int32_t SystemMessageTitleColor = kDefaultSystemMessageTitleColor;
int32_t SystemMessageBodyColor = kDefaultSystemMessageBodyColor;
int32_t DebugMessageTitleColor = kDefaultDebugMessageTitleColor;
int32_t DebugMessageBodyColor = kDefaultDebugMessageBodyColor;
bool iChatStylePlugin = true;
bool NameOnSeparateLine = true;
bool ClearScrollbackOnHide = true;
bool ClearScrollbackOnOverflow = true;
bool NewStyleTimestamp = false;
bool SortLogsList = true;
bool SortLogsDescending = true;
bool GroupLogsList = false;
bool ShowDebugMessages = false;
bool ShowMessageFileNames = false;
bool SendXMLMessages = false;
bool ShowNotifications = true;

std::string UserName;
std::string LogGuid;
std::string LogsFolder;
bool DeleteMessageFiles = false;
bool HideBrokenMessageFiles = true;
int32_t TrayIconIndex = 0;
int32_t MessageIconIndex = 0;
int32_t EmptyIconIndex = 0;
bool GrayMessageIcon = false;
bool SharedFolder = false;
int32_t RetentionDays = kDefaultRetentionDays;

void ResetToDefaults() {
    ClientGuid.clear();
    *kSendOnEnter.variable = kSendOnEnter.defaultValue;
    for (const LongSetting& s : kColorSettings) *s.variable = s.defaultValue;
    for (const BooleanSetting& s : kSwitchSettings) *s.variable = s.defaultValue;
    UserName.clear();
    LogGuid.clear();
    LogsFolder.clear();
    DeleteMessageFiles = false;
    HideBrokenMessageFiles = true;
    TrayIconIndex = 0;
    MessageIconIndex = 0;
    EmptyIconIndex = 0;
    GrayMessageIcon = false;
    SharedFolder = false;
    RetentionDays = kDefaultRetentionDays;
}

void LoadClientGuid() {
    outside::SettingsStore store;
    ClientGuid = store.ReadString("", "My GUID", outside::esGetNewGUID());
    // A blank identity would make the messages of every other client without one look like our own.
    if (TrimGuid(ClientGuid).empty()) ClientGuid = outside::esGetNewGUID();
    store.WriteString("", "My GUID", ClientGuid);
}

void LoadGlobalSettings() {
    ReadGlobalSettings();
    SaveGlobalSettings();
}

void ReadGlobalSettings() {
    const outside::SettingsStore store;
    *kSendOnEnter.variable = store.ReadBoolean(kSendOnEnter.section, kSendOnEnter.key, kSendOnEnter.defaultValue);
    for (const LongSetting& s : kColorSettings) *s.variable = store.ReadLong(s.section, s.key, s.defaultValue);
    for (const LongSetting& s : kColorSettings) *s.variable &= kColorMask;
    for (const BooleanSetting& s : kSwitchSettings) *s.variable = store.ReadBoolean(s.section, s.key, s.defaultValue);
}

void SaveGlobalSettings() {
    outside::SettingsStore store;
    store.WriteBoolean(kSendOnEnter.section, kSendOnEnter.key, *kSendOnEnter.variable);
    for (const LongSetting& s : kColorSettings) store.WriteLong(s.section, s.key, *s.variable);
    for (const BooleanSetting& s : kSwitchSettings) store.WriteBoolean(s.section, s.key, *s.variable);
}

void LoadChatSettings(const std::string& chatFilePath) {
    ReadChatSettings(chatFilePath);
    LogGuid = GetLogGuid(chatFilePath);
    LogsFolder = outside::esBuildFileName2(outside::esGetSpecialFolder(outside::kFolderAppData), "Greyfen Works",
                                           "Quillet", "Logs", LogGuid);
    SaveChatSettings(chatFilePath);
}

void ReadChatSettings(const std::string& chat) {
    const outside::SettingsStore store;
    UserName = store.ReadString(kNicks, chat, GetDefaultUserName());
    DeleteMessageFiles = store.ReadBoolean(kDeleteMessageFiles, chat, false);
    HideBrokenMessageFiles = store.ReadBoolean(kHideBrokenMessageFiles, chat, true);
    TrayIconIndex = ValidIconIndex(store.ReadLong(kTrayIcon, chat, 0));
    MessageIconIndex = ValidIconIndex(store.ReadLong(kMessageIcon, chat, 0));
    EmptyIconIndex = ValidIconIndex(store.ReadLong(kEmptyIcon, chat, 0));
    GrayMessageIcon = store.ReadBoolean(kGrayscale, chat, false);
    SharedFolder = store.ReadBoolean(kSharedFolder, chat, false);
    RetentionDays = ValidRetentionDays(store.ReadLong(kRetentionDays, chat, kDefaultRetentionDays));
}

void SaveChatSettings(const std::string& chat) {
    outside::SettingsStore store;
    store.WriteString(kNicks, chat, UserName);
    store.WriteBoolean(kDeleteMessageFiles, chat, DeleteMessageFiles);
    store.WriteBoolean(kHideBrokenMessageFiles, chat, HideBrokenMessageFiles);
    store.WriteLong(kTrayIcon, chat, TrayIconIndex);
    store.WriteLong(kMessageIcon, chat, MessageIconIndex);
    store.WriteLong(kEmptyIcon, chat, EmptyIconIndex);
    store.WriteBoolean(kGrayscale, chat, GrayMessageIcon);
    store.WriteBoolean(kSharedFolder, chat, SharedFolder);
    store.WriteLong(kRetentionDays, chat, RetentionDays);
}

std::string GetDefaultUserName() { return outside::esGetFullUserName(-1, -1); }

std::string GetLogGuid(const std::string& chatFilePath) {
    outside::SettingsStore store;
    std::string guid = TrimGuid(store.ReadString(kLogGuids, chatFilePath, ""));
    if (guid.empty()) guid = outside::esGetNewGUID();
    store.WriteString(kLogGuids, chatFilePath, guid);
    return guid;
}

}  // namespace modSettings
