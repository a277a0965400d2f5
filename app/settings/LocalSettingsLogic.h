// What the chat settings window shows and edits, and the decisions of adding
// the chat to the Startup folder, kept apart from the window so they can be
// tested anywhere.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/settings/SettingsButtons.h"
#include "app/support/FormDesign.h"

namespace settings {

using support::TwipsRect;

inline constexpr char kLocalSettingsCaption[] = "Настройки чата";
inline constexpr int kLocalClientWidth = 6015;
// The design's height and the two rows of the shared folder added under the two notification modes.
inline constexpr int kSharedFolderRowHeight = 720;
inline constexpr int kLocalClientHeight = 6555 + kSharedFolderRowHeight;
inline constexpr int kLocalCommandTop = 6000 + kSharedFolderRowHeight;

inline constexpr char kUserNameLabel[] = "Меня зовут:";
inline constexpr char kDefaultUserNameTip[] = " Установить имя пользователя по умолчанию ";
inline constexpr char kDefaultUserNamePicture[] = "IDP_DEFAULT_USER_NAME";
inline constexpr char kDeleteMessageFilesCaption[] = "Удалять файлы сообщений (ОПАСНО!)";
inline constexpr char kHideBrokenMessageFilesCaption[] = "Прятать (вместо удаления) файлы сообщений с ошибками";
inline constexpr char kSharedFolderCaption[] = "Общая папка на сервере: чужие файлы не трогать";
inline constexpr char kRetentionDaysLabel[] = "Свои файлы хранить, дней:";
inline constexpr char kGrayMessageIconCaption[] = "Серая иконка (маркер лучше виден)";
inline constexpr char kAutorunLabel[] =
    "Открывать данный чат при старте системы. Он будет помещён в папку Автозагрузка, а не в реестр. "
    "Удалить вы сможете ручками ^^";
inline constexpr char kAddToAutorunCaption[] = "Добавить";

// The three icon frames, top to bottom.
enum class IconGroup : int { Tray = 0, Message, Empty };
inline constexpr size_t kIconGroupCount = 3;
inline constexpr int kIconStyleCount = 7;
const char* IconFrameCaption(IconGroup group);
// The icon resource of sample i; grey applies to the message group only.
std::string IconSampleResource(IconGroup group, int style, bool grey);

// Where the controls go. With no width given, the design itself; given the
// widest of the three check boxes (its caption and box), the shared-folder
// check box and the days label as the screen's font draws them, the window,
// the frames and the boxes grow so that none is cut short, and the buttons
// keep to the right edge. The shared-folder rows (check box, then days label
// and box) sit under the two notification modes; everything below moves down.
struct LocalLayout {
    int clientWidth = 0;
    TwipsRect userNameLabel{}, userName{}, defaultUserName{};
    TwipsRect deleteMessageFiles{}, hideBrokenMessageFiles{};
    TwipsRect sharedFolder{}, retentionDaysLabel{}, retentionDays{};
    std::array<TwipsRect, kIconGroupCount> frames{};
    std::array<std::array<TwipsRect, kIconStyleCount>, kIconGroupCount> options{}, samples{};
    TwipsRect grayMessageIcon{};
    TwipsRect autorunLabel{}, addToAutorun{};
    std::array<TwipsRect, 3> commands{};  // by CommandButton
};
LocalLayout LayoutLocalSettings(int checkBoxWidth = 0, int sharedFolderWidth = 0, int retentionLabelWidth = 0);

// The edit buffer of the window.
struct ChatSettingsValues {
    std::string userName;
    bool deleteMessageFiles = false;
    bool hideBrokenMessageFiles = false;
    std::array<int32_t, kIconGroupCount> iconIndex{};  // by IconGroup
    bool grayMessageIcon = false;
    bool sharedFolder = false;
    int32_t retentionDays = 0;
    friend bool operator==(const ChatSettingsValues&, const ChatSettingsValues&) = default;
};
ChatSettingsValues ChatValuesFromSettings();
void ApplyChatValuesToSettings(const ChatSettingsValues& values);
// The days typed into the box: a number from 1 to the most allowed, else the default.
int32_t RetentionDaysFromText(const std::string& text);

// ---- The Startup folder ------------------------------------------------------

// A file name without its last extension and the dot before it; unchanged without one.
std::string StripExtension(const std::string& fileName);
// The shortcut's first name: the chat file's name with its extension, and ".LNK".
std::string AutorunShortcutName(const std::string& chatFilePath);
// The shortcut's arguments: the chat opens hidden.
std::string AutorunArguments(const std::string& chatFilePath);
// The question when a shortcut of that path exists.
std::string ShortcutExistsQuestion(const std::string& linkPath);
inline constexpr char kNewShortcutNamePrompt[] =
    "Введите новое имя для ярлыка, который будет помещён в автозагрузку.";
inline constexpr char kShortcutCreatedText[] = "Готово! ^_^v";
inline constexpr char kShortcutFailedText[] = "Не удалось создать ярлык.";

enum class ReplaceAnswer { Yes, No, Cancel };
struct AutorunPrompts {
    std::function<bool(const std::string& path)> fileExists;
    // The question about an existing shortcut.
    std::function<ReplaceAnswer(const std::string& question)> askReplace;
    // The input box: the answer, or nullopt when it was cancelled.
    std::function<std::optional<std::string>(const std::string& prompt, const std::string& defaultAnswer)> askName;
};
// The path the shortcut goes to, asking as needed; nullopt when the user
// stopped (Cancel, or an empty or cancelled name). A path that exists is
// returned only after a Yes.
std::optional<std::string> ChooseAutorunLinkPath(const std::string& startupFolder, const std::string& chatFilePath,
                                                 const AutorunPrompts& prompts);

// Control ids of the window.
enum LocalControlId : int {
    kIdLocalOk = 1,
    kIdLocalCancel = 2,
    kIdUserNameLabel = 100,  // lblTag(0)
    kIdUserName,
    kIdSetDefaultUserName,
    kIdDeleteMessageFiles,
    kIdHideBrokenMessageFiles,
    kIdGrayMessageIcon,
    kIdAutorunLabel,  // lblTag(3)
    kIdAddToAutorun,
    kIdLocalApply,
    kIdSharedFolder = 110,
    kIdRetentionDaysLabel,
    kIdRetentionDays,
    kIdFirstIconFrame = 120,   // + group
    kIdFirstIconOption = 200,  // + 10 * group + style
    kIdFirstIconSample = 300,  // + 10 * group + style
};
inline int IconOptionId(IconGroup group, int style) { return kIdFirstIconOption + 10 * static_cast<int>(group) + style; }
inline int IconSampleId(IconGroup group, int style) { return kIdFirstIconSample + 10 * static_cast<int>(group) + style; }

}  // namespace settings
