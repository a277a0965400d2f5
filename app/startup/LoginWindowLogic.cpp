#include "LoginWindowLogic.h"

#include <algorithm>
#include <cctype>

namespace startup {

const std::array<std::string, kLabelCount> kLoginLabels = {
    "Создать файл чата",
    "Эту кнопку следует нажимать, если чат ещё никто не создал или вы хотите создать другой чат. Перед тем как "
    "нажать её, откройте папку дропбокса, создайте в ней новую папку с каким-нибудь понятным именем вроде \"Чат с "
    "семьёй\" и сделайте её общей. Пригласите в неё всех, кто долежен принять участие в чате. После этого кнопку "
    "можно нажимать - появится окно, в котором вам нужно выбрать созданную общую папку и сохранить файл чата с "
    "именем вроде \"Беседа\". После этого другие участники чата смогут в него войти, открыв этот файл.",
    "Открыть файл чата",
    "Нажмите эту кнопку чтобы войти в чат, ранее созданный в общей папке дропбокса. Кстати! Ещё быстрее это можно "
    "сделать, открыв папку и дважды щёлкнув на файле чата - у него будет иконка как у этой программы.",
    "Выход из программы",
};

bool IsDeviceName(const std::string& fileName) {
    std::string base = fileName.substr(0, fileName.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (base == device) return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

LoginLayout LayoutLoginWindow(const std::array<int, kLabelCount>& textHeights) {
    LoginLayout l;
    l.clientWidth = kLoginClientWidth;
    int top = kLoginMargin;
    for (int row = 0; row < kLoginButtonCount; ++row) {
        const int caption = 2 * row;
        const int captionHeight = std::max(textHeights[caption], 0);
        l.buttons[row] = {kLoginMargin, top, kLoginButtonSize, kLoginButtonSize};
        int textBottom = 0;
        if (caption + 1 < kLabelCount) {
            const int explanationHeight = std::max(textHeights[caption + 1], 0);
            l.labels[caption] = {kLoginTextLeft, top, kLoginTextWidth, captionHeight};
            const int explanationTop = top + captionHeight + kLoginCaptionGap;
            l.labels[caption + 1] = {kLoginTextLeft, explanationTop, kLoginTextWidth, explanationHeight};
            textBottom = explanationTop + explanationHeight;
        } else {
            // Integer halves; a caption taller than the button starts at its top.
            const int captionTop = top + std::max((kLoginButtonSize - captionHeight) / 2, 0);
            l.labels[caption] = {kLoginTextLeft, captionTop, kLoginTextWidth, captionHeight};
            textBottom = captionTop + captionHeight;
        }
        const int rowBottom = std::max(top + kLoginButtonSize, textBottom);
        top = rowBottom + (row + 1 < kLoginButtonCount ? kLoginRowGap : 0);
    }
    l.clientHeight = top + kLoginMargin;
    return l;
}

LoginKey LoginKeyFor(int virtualKey, Modifiers modifiers, bool focusOnPictureButton) {
    switch (support::FormKeyFor(virtualKey, modifiers)) {
        case support::FormKey::ReadMe: return LoginKey::ReadMe;
        case support::FormKey::About: return LoginKey::About;
        case support::FormKey::Close: return LoginKey::Close;
        case support::FormKey::Swallow: return LoginKey::Swallow;
        case support::FormKey::None: break;
    }
    if ((virtualKey == support::kVkReturn || virtualKey == kVkSpace) && modifiers.None() && focusOnPictureButton)
        return LoginKey::Press;
    return LoginKey::None;
}

}  // namespace startup
