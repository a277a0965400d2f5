#include "LocalSettingsLogic.h"

#include <algorithm>

#include "app/settings/modSettings.h"
#include "outside/Support.h"

namespace settings {
namespace {

constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 5775;
constexpr int kShift = kSharedFolderRowHeight;
constexpr int kFrameTops[kIconGroupCount] = {1560 + kShift, 2580 + kShift, 3900 + kShift};
constexpr int kFrameHeights[kIconGroupCount] = {915, 1215, 915};

size_t CodePoints(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

const char* IconFrameCaption(IconGroup group) {
    switch (group) {
        case IconGroup::Tray: return " Иконка в трее ";
        case IconGroup::Message: return " Иконка сообщения ";
        case IconGroup::Empty: return " Пустая иконка (анимация мигания) ";
    }
    return "";
}

std::string IconSampleResource(IconGroup group, int style, bool grey) {
    const std::string number = std::to_string(style);
    switch (group) {
        case IconGroup::Tray: return "IDI_TRAY_" + number;
        case IconGroup::Message: return "IDI_MESSAGE_" + number + (grey ? "A" : "");
        case IconGroup::Empty: return "IDI_EMPTY_" + number;
    }
    return {};
}

LocalLayout LayoutLocalSettings(int checkBoxWidth, int sharedFolderWidth, int retentionLabelWidth) {
    constexpr int checkLeft = 180, checkWidth = 5715;
    constexpr int grayInset = 240, grayWidth = kFrameWidth - 360;
    // The shared-folder rows: the check box, and under it, indented to its
    // caption, the days label and box.
    constexpr int rowTop = 1440, daysTop = rowTop + 360, indent = 255, gap = 60, daysWidth = 540;
    constexpr int labelWidth = 2580;
    const int label = std::max(labelWidth, retentionLabelWidth);
    const int daysRowWidth = indent + label + gap + daysWidth;
    const int grow = std::max({0, checkBoxWidth - checkWidth, checkBoxWidth - grayWidth, sharedFolderWidth - checkWidth,
                               daysRowWidth - checkWidth});
    LocalLayout l;
    l.clientWidth = kLocalClientWidth + grow;
    l.userNameLabel = {180, 225, 1140, 225};
    l.userName = {1380, 180, 4095 + grow, 315};
    l.defaultUserName = {5520 + grow, 180, 375, 315};
    l.deleteMessageFiles = {checkLeft, 720, checkWidth + grow, 255};
    l.hideBrokenMessageFiles = {checkLeft, 1080, checkWidth + grow, 255};
    l.sharedFolder = {checkLeft, rowTop, checkWidth + grow, 255};
    l.retentionDaysLabel = {checkLeft + indent, daysTop + 30, label, 225};
    l.retentionDays = {l.retentionDaysLabel.left + label + gap, daysTop - 30, daysWidth, 315};
    for (size_t g = 0; g < kIconGroupCount; ++g) {
        const TwipsRect frame{kFrameLeft, kFrameTops[g], kFrameWidth + grow, kFrameHeights[g]};
        l.frames[g] = frame;
        for (int s = 0; s < kIconStyleCount; ++s) {
            l.options[g][static_cast<size_t>(s)] = {frame.left + 240 + 780 * s, frame.top + 420, 255, 255};
            l.samples[g][static_cast<size_t>(s)] = {frame.left + 540 + 780 * s, frame.top + 420, 240, 240};
        }
    }
    const TwipsRect message = l.frames[static_cast<size_t>(IconGroup::Message)];
    l.grayMessageIcon = {message.left + grayInset, message.top + 780, grayWidth + grow, 255};
    l.autorunLabel = {180, 5040 + kShift, 4440 + grow, 735};
    l.addToAutorun = {4740 + grow, 5040 + kShift, 1155, 735};
    for (auto b : {CommandButton::Ok, CommandButton::Cancel, CommandButton::Apply}) {
        TwipsRect r = CommandButtonRect(b, kLocalCommandTop);
        r.left += grow;
        l.commands[static_cast<size_t>(b)] = r;
    }
    return l;
}

ChatSettingsValues ChatValuesFromSettings() {
    ChatSettingsValues v;
    v.userName = modSettings::UserName;
    v.deleteMessageFiles = modSettings::DeleteMessageFiles;
    v.hideBrokenMessageFiles = modSettings::HideBrokenMessageFiles;
    v.iconIndex = {modSettings::TrayIconIndex, modSettings::MessageIconIndex, modSettings::EmptyIconIndex};
    v.grayMessageIcon = modSettings::GrayMessageIcon;
    v.sharedFolder = modSettings::SharedFolder;
    v.retentionDays = modSettings::RetentionDays;
    return v;
}

void ApplyChatValuesToSettings(const ChatSettingsValues& v) {
    modSettings::UserName = v.userName;
    modSettings::DeleteMessageFiles = v.deleteMessageFiles;
    modSettings::HideBrokenMessageFiles = v.hideBrokenMessageFiles;
    modSettings::TrayIconIndex = v.iconIndex[static_cast<size_t>(IconGroup::Tray)];
    modSettings::MessageIconIndex = v.iconIndex[static_cast<size_t>(IconGroup::Message)];
    modSettings::EmptyIconIndex = v.iconIndex[static_cast<size_t>(IconGroup::Empty)];
    modSettings::GrayMessageIcon = v.grayMessageIcon;
    modSettings::SharedFolder = v.sharedFolder;
    modSettings::RetentionDays = v.retentionDays;
}

int32_t RetentionDaysFromText(const std::string& text) {
    const std::string digits = outside::asTrimEx2(text, true, true, true, true);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return modSettings::kDefaultRetentionDays;
    const int32_t days = std::stoi(digits);
    if (days < 1) return modSettings::kDefaultRetentionDays;
    return std::min(days, modSettings::kMaxRetentionDays);
}

std::string StripExtension(const std::string& fileName) {
    const std::string extension = outside::esGetFileExtension(fileName);
    if (extension.empty()) return fileName;
    return outside::asCutRight(fileName, CodePoints(extension) + 1);
}

std::string AutorunShortcutName(const std::string& chatFilePath) {
    return outside::esGetFileName(chatFilePath, false) + ".LNK";
}

std::string AutorunArguments(const std::string& chatFilePath) { return "/H \"" + chatFilePath + "\""; }

std::string ShortcutExistsQuestion(const std::string& linkPath) {
    return linkPath + "\r\n\r\n" + "Ярлык уже существует. Возможно, данный чат уже добавлен " +
           "в автозагрузку, а может быть просто имена файлов " + "совпали." + "\r\n\r\n" +
           "Заменить существующий ярлык?" + "\r\n\r\n" + "Да     - заменить." + "\r\n" +
           "Нет    - задать новое имя файла." + "\r\n" + "Отмена - не создавать ничего.";
}

std::optional<std::string> ChooseAutorunLinkPath(const std::string& startupFolder, const std::string& chatFilePath,
                                                 const AutorunPrompts& prompts) {
    std::string name = AutorunShortcutName(chatFilePath);
    for (;;) {
        const std::string linkPath = outside::esBuildFileName2(startupFolder, name);
        if (!prompts.fileExists(linkPath)) return linkPath;
        switch (prompts.askReplace(ShortcutExistsQuestion(linkPath))) {
            case ReplaceAnswer::Cancel: return std::nullopt;
            case ReplaceAnswer::Yes: return linkPath;
            case ReplaceAnswer::No: break;
        }
        const std::optional<std::string> answer = prompts.askName(kNewShortcutNamePrompt, StripExtension(name));
        if (!answer || answer->empty()) return std::nullopt;
        name = *answer + ".LNK";
    }
}

}  // namespace settings
