#include "GlobalSettingsLogic.h"

#include <algorithm>

#include "app/settings/modSettings.h"
#include "outside/Support.h"

namespace settings {
namespace {

constexpr int kLeft = 180;
constexpr int kSwitchTop = 180;
constexpr int kSwitchPitch = kGlobalSwitchPitch;
constexpr int kSwitchHeight = 255;
constexpr int kColorHeight = 315;
constexpr int kTitleLeft = 2700, kTitleWidth = 1575;
constexpr int kBodyLeft = 4380, kBodyWidth = 1515;
constexpr int kColumnLabelTop = 4620 + kSwitchPitch;
constexpr int kRowTops[kColorRowCount] = {4920 + kSwitchPitch, 5280 + kSwitchPitch, 5640 + kSwitchPitch,
                                          6000 + kSwitchPitch};
constexpr int kRowLabelLeft = 240;

}  // namespace

const std::array<SwitchControl, kSwitchCount>& Switches() {
    using namespace modSettings;
    static const std::array<SwitchControl, kSwitchCount> switches = {{
        {"chkSendOnEnter", "Отправлять по Enter вместо Ctrl+Enter", &SendOnEnter},
        {"chkiChatStylePlugin", "Пометка времени в стиле iChat", &iChatStylePlugin},
        {"chkNameOnSeparateLine", "Имя и время сообщений на отдельной строке", &NameOnSeparateLine},
        {"chkNewStyleTimestamp", "Новый стиль метки времени", &NewStyleTimestamp},
        {"chkClearScrollbackOnHide", "Очищать сообщения при скрытии окна чата", &ClearScrollbackOnHide},
        {"chkClearScrollbackOnOverflow", "Очищать сообщения после %1 входящих", &ClearScrollbackOnOverflow},
        {"chkSortLogsList", "Сортировать список логов", &SortLogsList},
        {"chkSortLogsDescending", "Обратный порядок сортировки логов", &SortLogsDescending},
        {"chkGroupLogsList", "Группировать список логов по месяцам", &GroupLogsList},
        {"chkShowDebugMessages", "Отображать отладочные сообщения (не рекомендуется)", &ShowDebugMessages},
        {"chkShowMessageFileNames", "Отображать имена файов сообщений (не рекомендуется)", &ShowMessageFileNames},
        {"chkSendXMLMessages", "Отправлять XML сообщения (может быть чуть медленнее)", &SendXMLMessages},
        {"chkShowNotifications", "Показывать уведомления о новых сообщениях", &ShowNotifications},
    }};
    return switches;
}

std::string ShownSwitchCaption(const std::string& designed) {
    const std::string count = outside::asFormatLong(modSettings::kOverflowBlock);
    std::string shown;
    size_t from = 0;
    for (size_t at; (at = designed.find("%1", from)) != std::string::npos; from = at + 2)
        shown.append(designed, from, at - from).append(count);
    return shown.append(designed, from, std::string::npos);
}

const std::array<ColorControl, kColorCount>& Colors() {
    using namespace modSettings;
    static const std::array<ColorControl, kColorCount> colors = {{
        {"cmdMyMessageTitleColor", &MyMessageTitleColor},
        {"cmdMyMessageBodyColor", &MyMessageBodyColor},
        {"cmdOtherMessageTitleColor", &OtherMessageTitleColor},
        {"cmdOtherMessageBodyColor", &OtherMessageBodyColor},
        {"cmdSystemMessageTitleColor", &SystemMessageTitleColor},
        {"cmdSystemMessageBodyColor", &SystemMessageBodyColor},
        {"cmdDebugMessageTitleColor", &DebugMessageTitleColor},
        {"cmdDebugMessageBodyColor", &DebugMessageBodyColor},
    }};
    return colors;
}

const std::array<const char*, kColorRowCount>& ColorRowLabels() {
    static const std::array<const char*, kColorRowCount> labels = {
        "Мои сообщения", "Сообщения собеседников", "Системные сообщения", "Отладочные сообщения"};
    return labels;
}

std::string ColorButtonName(size_t index) {
    return std::string(ColorRowLabels()[index / 2]) + (index % 2 == 0 ? ", заголовок" : ", текст");
}

GlobalLayout LayoutGlobalSettings(int switchWidth, int rowLabelWidth) {
    constexpr int labelGap = 120;
    const int shift = std::max(0, rowLabelWidth - (kTitleLeft - labelGap - kRowLabelLeft));
    const int switchW = std::max(kGlobalClientWidth - 2 * kLeft, switchWidth);
    GlobalLayout l;
    l.clientWidth = std::max(kGlobalClientWidth + shift, kLeft + switchW + kLeft);
    const int grow = l.clientWidth - kGlobalClientWidth;
    for (size_t i = 0; i < kSwitchCount; ++i)
        l.switches[i] = {kLeft, kSwitchTop + kSwitchPitch * static_cast<int>(i), switchW, kSwitchHeight};
    for (size_t i = 0; i < kColorCount; ++i) {
        const int top = kRowTops[i / 2];
        l.colors[i] = i % 2 == 0 ? TwipsRect{kTitleLeft + shift, top, kTitleWidth, kColorHeight}
                                 : TwipsRect{kBodyLeft + shift, top, kBodyWidth, kColorHeight};
    }
    // Level with the text of the button beside it; ends before the title column.
    for (size_t row = 0; row < kColorRowCount; ++row)
        l.rowLabels[row] = {kRowLabelLeft, kRowTops[row] + 45, kTitleLeft + shift - labelGap - kRowLabelLeft, 225};
    l.titleLabel = {kTitleLeft + shift, kColumnLabelTop, kTitleWidth, 225};
    l.bodyLabel = {kBodyLeft + shift, kColumnLabelTop, kBodyWidth, 225};
    for (auto b : {CommandButton::Ok, CommandButton::Cancel, CommandButton::Apply}) {
        TwipsRect r = CommandButtonRect(b, kGlobalCommandTop);
        r.left += grow;
        l.commands[static_cast<size_t>(b)] = r;
    }
    return l;
}

GlobalSettingsValues GlobalValuesFromSettings() {
    GlobalSettingsValues values;
    for (size_t i = 0; i < kSwitchCount; ++i) values.switches[i] = *Switches()[i].setting;
    for (size_t i = 0; i < kColorCount; ++i) values.colors[i] = *Colors()[i].setting;
    return values;
}

void ApplyGlobalValuesToSettings(const GlobalSettingsValues& values) {
    for (size_t i = 0; i < kSwitchCount; ++i) *Switches()[i].setting = values.switches[i];
    for (size_t i = 0; i < kColorCount; ++i) *Colors()[i].setting = values.colors[i];
}

}  // namespace settings
