#include "frmLogin.h"

#include "ProgramWindows.h"
#include "app/startup/modMain.h"
#include "app/support/win32/FileDialog.h"
#include "app/support/win32/modLoadResPictureByData.h"
#include "outside/MessageBoxes.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"
#include "outside/win32/WindowSupport.h"

namespace startup {
namespace {

constexpr const char* kButtonPictures[kLoginButtonCount] = {"IDP_NEW_SESSION", "IDP_OPEN_SESSION", "IDP_EXIT"};
constexpr uint32_t kButtonFace = 0x8000000F;  // the system's button-face colour behind the pictures

std::string RememberedFolder(const char* key) {
    outside::SettingsStore store;
    return store.ReadString(kOfnSection, key, "");
}

// A folder that cannot be remembered costs only the convenience.
void RememberFolder(const char* key, const std::string& chosenFile) {
    try {
        outside::SettingsStore store;
        store.WriteString(kOfnSection, key, outside::esGetFilePath(chosenFile));
    } catch (const outside::RuntimeError&) {
    }
}

}  // namespace

std::unique_ptr<frmLogin> frmLogin::Load() {
    std::unique_ptr<frmLogin> form(new frmLogin());
    if (!form->Create()) return nullptr;
    return form;
}

bool frmLogin::Create() {
    Design design;
    design.className = kClassName;
    design.caption = kLoginCaption;
    design.clientWidth = kLoginClientWidth;
    design.clientHeight = 4000;  // until the texts are measured
    if (!CreateForm(design)) return false;
    CreateControls();
    LayOut();
    StandardLoadSteps();
    LoadButtonPictures();
    for (support::ucButton* button : buttons_) ::ShowWindow(button->Handle(), SW_SHOW);
    Show();
    ::SetFocus(buttons_[kCreateChat]->Handle());
    return true;
}

void frmLogin::CreateControls() {
    // Tab order is creation order: each button, then its texts.
    for (int row = 0; row < kLoginButtonCount; ++row) {
        support::ucButton* button = support::ucButton::Create(Handle(), kIdFirstButton + row, 0, 0,
                                                                    PxX(kLoginButtonSize), PxY(kLoginButtonSize));
        // Named by its bold caption, for a screen reader.
        button->SetCaption(kLoginLabels[static_cast<size_t>(2 * row)]);
        // Tab reaches the buttons; Enter or Space presses the focused one.
        ::SetWindowLongPtrW(button->Handle(), GWL_STYLE, ::GetWindowLongPtrW(button->Handle(), GWL_STYLE) | WS_TABSTOP);
        // Shown once their pictures are in: a button draws its picture when it is shown.
        ::ShowWindow(button->Handle(), SW_HIDE);
        buttons_[static_cast<size_t>(row)] = button;
        for (int label = 2 * row; label <= 2 * row + 1 && label < kLabelCount; ++label)
            lblTag_[static_cast<size_t>(label)] = AddLabel(kIdFirstLabel + label, kLoginLabels[static_cast<size_t>(label)],
                                                           {kLoginTextLeft, 0, kLoginTextWidth, 300},
                                                           IsCaptionLabel(label), SS_LEFT | SS_NOPREFIX);
    }
}

int frmLogin::TextHeightTwips(HWND label) const {
    const int length = ::GetWindowTextLengthW(label);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(label, text.data(), length + 1)));
    HDC dc = ::GetDC(label);
    if (!dc) return 0;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    // Wrapped as the label wraps it: by words, within the column's width.
    RECT box{0, 0, PxX(kLoginTextWidth), 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    // Rounded up, so the last line is never cut.
    return TwipsY(box.bottom) + 15;
}

void frmLogin::LayOut() {
    std::array<int, kLabelCount> heights{};
    for (int i = 0; i < kLabelCount; ++i) heights[static_cast<size_t>(i)] = TextHeightTwips(lblTag_[static_cast<size_t>(i)]);
    const LoginLayout l = LayoutLoginWindow(heights);
    for (int i = 0; i < kLoginButtonCount; ++i) Place(buttons_[static_cast<size_t>(i)]->Handle(), l.buttons[static_cast<size_t>(i)]);
    for (int i = 0; i < kLabelCount; ++i) Place(lblTag_[static_cast<size_t>(i)], l.labels[static_cast<size_t>(i)]);
    RECT frame{0, 0, PxX(l.clientWidth), PxY(l.clientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmLogin::LoadButtonPictures() {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        try {
            buttons_[i]->SetPicture(
                modLoadResPictureByData::LoadResPictureByData(kButtonPictures[i], "PNG_PICTURES", kButtonFace));
        } catch (const outside::RuntimeError&) {
            // A button whose picture failed stays without one.
        }
    }
}

bool frmLogin::OnPreviewKey(int virtualKey, support::Modifiers modifiers) {
    const HWND focus = ::GetFocus();
    support::ucButton* focused = support::ucButton::FromHandle(focus);
    switch (LoginKeyFor(virtualKey, modifiers, focused != nullptr && ::GetParent(focus) == Handle())) {
        case LoginKey::ReadMe: ShowReadMe(); return true;
        case LoginKey::About: ShowAboutBox(); return true;
        case LoginKey::Close: OnEscape(); return true;
        case LoginKey::Swallow: return true;
        case LoginKey::Press: focused->ClickMe(); return true;
        case LoginKey::None: return false;
    }
    return false;
}

void frmLogin::OnCommand(int id, int code, HWND) {
    // One command at a time: a click that reaches the window while a command
    // waits in a dialog or a box (a posted one gets past the disabled window)
    // starts nothing.
    if (code != BN_CLICKED || commandRunning_) return;
    commandRunning_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{commandRunning_};
    switch (id - kIdFirstButton) {
        case kCreateChat: ucbCreateChat_Click(); break;
        case kOpenChat: ucbOpenChat_Click(); break;
        case kExit: ucbExit_Click(); break;
        default: break;
    }
}

void frmLogin::ucbCreateChat_Click() {
    const std::string chosen = ChooseChatFile(true, kLastCreateKey, "Не удалось создать файл чата.");
    if (chosen.empty()) return;
    try {
        // An empty file; the dialog has asked before one of this name is replaced.
        outside::TheTextFile().WriteText(chosen, "", outside::TextEncoding::Utf8);
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, "Не удалось создать файл чата.");
        return;
    }
    EnterChat(chosen);
}

void frmLogin::ucbOpenChat_Click() {
    const std::string chosen = ChooseChatFile(false, kLastOpenKey, "Не удалось открыть файл чата.");
    // The file is neither read nor checked: its folder is the chat.
    if (!chosen.empty()) EnterChat(chosen);
}

std::string frmLogin::ChooseChatFile(bool save, const char* folderKey, const char* failure) {
    std::string chosen;
    try {
        support::FileDialog dialog;
        dialog.SetFilter(kChatFileFilter);
        dialog.SetFlags(0);
        dialog.SetOwner(Handle());
        dialog.SetInitDir(RememberedFolder(folderKey));
        if (save) dialog.SetDefaultExt(kChatFileExtension);
        if (!(save ? dialog.ShowSave() : dialog.ShowOpen())) return {};
        chosen = dialog.FileName();
        // Windows' own dialogs refuse device names; where one gets through
        // (Wine's), it is refused here rather than opened as a chat.
        if (IsDeviceName(outside::esGetFileName(chosen))) throw outside::Win32Error(ERROR_INVALID_NAME, chosen);
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, failure);
        return {};
    }
    RememberFolder(folderKey, chosen);
    return chosen;
}

void frmLogin::EnterChat(const std::string& chosenFile) {
    ChatPtr chat = modMain::ClaimChatFolder(chosenFile, outside::esGetFilePath(chosenFile));
    if (!chat) return;
    try {
        LoadChatWindow(std::move(chat), false);
    } catch (const outside::RuntimeError& e) {
        // As at start-up: reported (over this window, still here to own the
        // box), and the program ends with this window.
        ReportStartFailure(e);
    }
    // Posted: the window goes once the chat window is up, or the box answered.
    outside::esUnloadForm(Handle());
}

}  // namespace startup
