#include "MessageDisplay.h"

#include "FileMessageDisplay.h"
#include "app/exchange/EffectiveUserName.h"
#include "app/settings/modSettings.h"
#include "outside/ProductIdentity.h"
#include "outside/Support.h"

namespace chatwindow {
namespace {

constexpr int32_t kGrey = 0x808080;

struct Colours {
    int32_t title;
    int32_t body;
};

Colours ColoursOf(exchange::MessageKind kind) {
    using exchange::MessageKind;
    switch (kind) {
        case MessageKind::Mine: return {modSettings::MyMessageTitleColor, modSettings::MyMessageBodyColor};
        case MessageKind::Other: return {modSettings::OtherMessageTitleColor, modSettings::OtherMessageBodyColor};
        case MessageKind::System: return {modSettings::SystemMessageTitleColor, modSettings::SystemMessageBodyColor};
        case MessageKind::Debug: return {modSettings::DebugMessageTitleColor, modSettings::DebugMessageBodyColor};
    }
    return {0, 0};
}

// EndAppend even when a step fails half way, so the pane is never left locked.
class AppendScope {
public:
    explicit AppendScope(IConversationPane& pane) : pane_(pane) { pane_.BeginAppend(); }
    ~AppendScope() { pane_.EndAppend(); }
    AppendScope(const AppendScope&) = delete;
    AppendScope& operator=(const AppendScope&) = delete;

private:
    IConversationPane& pane_;
};

}  // namespace

std::vector<int32_t> DisplayColours() {
    return {0,
            kGrey,
            modSettings::MyMessageTitleColor,
            modSettings::MyMessageBodyColor,
            modSettings::OtherMessageTitleColor,
            modSettings::OtherMessageBodyColor,
            modSettings::SystemMessageTitleColor,
            modSettings::SystemMessageBodyColor,
            modSettings::DebugMessageTitleColor,
            modSettings::DebugMessageBodyColor};
}

void AppendLine(IConversationPane& pane, const std::string& text, int size, bool bold, int32_t colour, int alignment) {
    pane.AppendText(text + "\r\n", size, bold, colour, alignment);
}

void AppendSpacer(IConversationPane& pane) { AppendLine(pane, " ", 3, false, 0, kAlignLeft); }

MessageDisplay::MessageDisplay(IConversationPane& pane, DisplayHooks hooks) : pane_(pane), hooks_(std::move(hooks)) {
    if (!hooks_.now) hooks_.now = [] { return outside::esGetLocalTime(); };
}

void MessageDisplay::DisplayMessage(const std::string& userName, const std::string& text,
                                    outside::DateTimeRecord time, exchange::MessageKind kind,
                                    const std::string& fileName) {
    const Colours colours = ColoursOf(kind);
    {
        AppendScope scope(pane_);
        time = outside::esSystemTimeToLocalSystemTime(time);
        if (!pane_.IsEmpty()) AppendSpacer(pane_);

        if (modSettings::iChatStylePlugin) {
            const outside::DateTimeRecord now = hooks_.now();
            if (lastStampTime_.IsZero()) lastStampTime_ = now;
            if (outside::MinuteBoundariesBetween(lastStampTime_, now) >= kTimeMarkMinutes) {
                lastStampTime_ = now;
                AppendLine(pane_, outside::esFormatTime2(now, 0, 0), 8, false, kGrey, kAlignCentre);
                AppendSpacer(pane_);
            }
        }

        const std::string date = outside::esFormatDate(time, 0, 0);
        const std::string clock = outside::esFormatTime(time, 0, 0);
        const std::string stamp = modSettings::NewStyleTimestamp ? date + " " + clock : clock + " - " + date;
        const std::string name = exchange::EffectiveUserName(userName);
        if (modSettings::NameOnSeparateLine)
            AppendLine(pane_, name + "  (" + stamp + ")", 8, true, colours.title, kAlignLeft);
        else
            pane_.AppendText("(" + stamp + ") " + name + ":  ", 8, true, colours.title, kAlignLeft);

        AppendMessageBody(pane_, outside::asTrimEx2(text, true, true, true, true), 9, colours.body);
        if (modSettings::ShowMessageFileNames && !fileName.empty())
            AppendLine(pane_, fileName, 7, false, modSettings::DebugMessageBodyColor, kAlignLeft);
    }
    if (kind != exchange::MessageKind::Debug && hooks_.isWindowActive && !hooks_.isWindowActive() &&
        hooks_.startBlinking)
        hooks_.startBlinking();
    if (hooks_.saveLog) hooks_.saveLog(true, false);
}

void MessageDisplay::ShowSystemMessage(const std::string& text) {
    DisplayMessage(outside::TheProductIdentity().title, text, outside::esGetSystemTime(), exchange::MessageKind::System, "");
}

void MessageDisplay::ShowDebugMessage(const std::string& text) {
    if (!modSettings::ShowDebugMessages && !outside::esIsInIDE()) return;
    DisplayMessage(outside::TheProductIdentity().title, text, outside::esGetSystemTime(), exchange::MessageKind::Debug, "");
}

}  // namespace chatwindow
