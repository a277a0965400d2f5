// The settings of the program: the process-wide values every other module
// reads, and the operations that load and save them through the settings store.
#pragma once

#include <cstdint>
#include <string>

namespace modSettings {

// ---- Program-wide ----------------------------------------------------------
extern std::string ClientGuid;  // "" / "My GUID"
extern bool SendOnEnter;        // "" / "Send on Enter"
// "Colors 2": 24-bit RGB as 0x00BBGGRR.
extern int32_t MyMessageTitleColor;
extern int32_t MyMessageBodyColor;
extern int32_t OtherMessageTitleColor;
extern int32_t OtherMessageBodyColor;
extern int32_t SystemMessageTitleColor;
extern int32_t SystemMessageBodyColor;
extern int32_t DebugMessageTitleColor;
extern int32_t DebugMessageBodyColor;
extern bool iChatStylePlugin;
extern bool NameOnSeparateLine;
extern bool ClearScrollbackOnHide;
extern bool ClearScrollbackOnOverflow;
// With ClearScrollbackOnOverflow, a pass saves and clears the pane every this
// many message files; the program settings window shows the count.
inline constexpr int kOverflowBlock = 300;
extern bool NewStyleTimestamp;
extern bool SortLogsList;        // "Logs List" / "Sort"
extern bool SortLogsDescending;  // "Logs List" / "Descending Sort"
extern bool GroupLogsList;       // "Logs List" / "Group"
extern bool ShowDebugMessages;   // "Debug" / "Show Debug Messages"
extern bool ShowMessageFileNames;
extern bool SendXMLMessages;
extern bool ShowNotifications;   // "" / "Show Notifications"

// ---- Per chat (key = ChatFilePath) -------------------------------------------
extern std::string UserName;  // "Nicks"
extern std::string LogGuid;   // "Log GUIDs"
extern std::string LogsFolder;
extern bool DeleteMessageFiles;      // "Notification Mode\Delete Message Files"
extern bool HideBrokenMessageFiles;  // "Notification Mode\Hide Broken Message Files"
extern int32_t TrayIconIndex;        // "Icon Style\Tray", 0..6
extern int32_t MessageIconIndex;     // "Icon Style\Message", 0..6
extern int32_t EmptyIconIndex;       // "Icon Style\Empty", 0..6
extern bool GrayMessageIcon;         // "Icon Style\Grayscale"
// The chat folder is one copy for everyone (a file server): nobody hides or
// deletes another's message file. Also on by itself on a network drive.
extern bool SharedFolder;            // "Notification Mode\Shared Folder"
// Days one's own message files stay in the chat folder before this client
// deletes them (in the shared-folder mode, or with deleting on).
extern int32_t RetentionDays;        // "Notification Mode\Retention Days", 1..9999
inline constexpr int32_t kDefaultRetentionDays = 30;
inline constexpr int32_t kMaxRetentionDays = 9999;

// Resets every variable to its table default (ClientGuid, UserName, LogGuid and
// LogsFolder to empty). For a fresh start, and for tests.
void ResetToDefaults();

void LoadClientGuid();
void LoadGlobalSettings();
// Reads the program-wide settings without storing anything back: for
// companions that only look (LoadGlobalSettings is this and a save).
void ReadGlobalSettings();
void SaveGlobalSettings();
// The per-chat values are keyed by the chat file's full path.
void LoadChatSettings(const std::string& chatFilePath);
// Reads the per-chat values (not the log GUID) without storing anything back.
void ReadChatSettings(const std::string& chatFilePath);
void SaveChatSettings(const std::string& chatFilePath);
std::string GetDefaultUserName();
std::string GetLogGuid(const std::string& chatFilePath);

}  // namespace modSettings
