#include "frmLocalSettings.h"

#include <oleacc.h>

#include <algorithm>

#include "app/exchange/ChatFolderListing.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/SettingsSaving.h"
#include "app/settings/win32/SettingsWindowFit.h"
#include "app/settings/win32/ShellLink.h"
#include "app/support/win32/AccessibleName.h"
#include "app/support/win32/InputBox.h"
#include "app/support/win32/modLoadResPictureByData.h"
#include "app/support/win32/ucButton.h"
#include "outside/MessageBoxes.h"
#include "outside/ProductIdentity.h"
#include "outside/Support.h"
#include "outside/win32/Perchlet.h"
#include "outside/win32/Wide.h"
#include "outside/win32/WindowSupport.h"

namespace settings {
namespace {

constexpr wchar_t kClassName[] = L"QuilletChatSettings";
constexpr uint32_t kButtonFace = 0x8000000F;
constexpr int kShowDefault = 10;

std::unique_ptr<frmLocalSettings>& Instance() {
    static std::unique_ptr<frmLocalSettings> instance;
    return instance;
}

bool Ticked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Tick(HWND box, bool on) { ::SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

// What a screen reader says for an icon's sample and its option button: "Иконка в трее, вариант 1".
std::string IconStyleName(IconGroup group, int style) {
    return outside::asTrimEx2(IconFrameCaption(group), true, true, false, false) + ", вариант " +
           std::to_string(style + 1);
}

std::string WindowText(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), length + 1)));
    return outside::U8(text);
}

}  // namespace

void frmLocalSettings::Open(ChatWindowLink chat) {
    auto& instance = Instance();
    if (!instance) instance.reset(new frmLocalSettings());
    // The object is kept and its window made anew (see frmGlobalSettings::Open).
    const bool fresh = !instance->IsLoaded();
    if (fresh && !instance->Load(std::move(chat))) return;
    instance->Show();
    // The first control once the window is active, as a dialog box starts.
    if (fresh) ::SetFocus(instance->txtUserName_);
}

frmLocalSettings* frmLocalSettings::Loaded() {
    auto& instance = Instance();
    return instance && instance->IsLoaded() ? instance.get() : nullptr;
}

bool frmLocalSettings::Load(ChatWindowLink chat) {
    if (!chat.chat) return false;
    chat_ = std::move(chat);
    Design design;
    design.className = kClassName;
    design.caption = kLocalSettingsCaption;
    design.clientWidth = kLocalClientWidth;
    design.clientHeight = kLocalClientHeight;
    design.owner = chat_.owner;
    if (!CreateForm(design)) return false;
    PaintUnderGroupBoxes(Handle());
    CreateControls();
    StandardLoadSteps();  // centred at its final size
    userNameHook_ = std::make_unique<support::csTBSelectAllHook>();
    userNameHook_->Init(txtUserName_);
    LoadIconSamples(true);
    FillFromSettings();
    return true;
}

void frmLocalSettings::CreateControls() {
    const LocalLayout design = LayoutLocalSettings();
    HWND label = AddLabel(kIdUserNameLabel, kUserNameLabel, design.userNameLabel, false, SS_LEFTNOWORDWRAP);
    // A screen font wider than Tahoma must not cut the label short.
    TwipsRect labelRect = design.userNameLabel;
    labelRect.width = std::min(std::max(labelRect.width, TextWidthTwips(label)), design.userName.left - labelRect.left);
    Place(label, labelRect);
    txtUserName_ = AddEdit(kIdUserName, "", design.userName);
    const TwipsRect b = design.defaultUserName;
    support::ucButton* button =
        support::ucButton::Create(Handle(), kIdSetDefaultUserName, PxX(b.left), PxY(b.top), PxX(b.width), PxY(b.height));
    button->SetToolTip(kDefaultUserNameTip);
    // The button draws its picture when it is shown: shown again once the picture is in.
    ::ShowWindow(button->Handle(), SW_HIDE);
    try {
        button->SetPicture(
            modLoadResPictureByData::LoadResPictureByData(kDefaultUserNamePicture, "PNG_PICTURES", kButtonFace));
    } catch (const outside::RuntimeError&) {
        // The button works without its picture.
    }
    ::ShowWindow(button->Handle(), SW_SHOW);
    chkDeleteMessageFiles_ = AddCheckBox(kIdDeleteMessageFiles, kDeleteMessageFilesCaption, design.deleteMessageFiles);
    chkHideBrokenMessageFiles_ =
        AddCheckBox(kIdHideBrokenMessageFiles, kHideBrokenMessageFilesCaption, design.hideBrokenMessageFiles);
    chkSharedFolder_ = AddCheckBox(kIdSharedFolder, kSharedFolderCaption, design.sharedFolder);
    HWND retentionLabel =
        AddLabel(kIdRetentionDaysLabel, kRetentionDaysLabel, design.retentionDaysLabel, false, SS_NOPREFIX);
    txtRetentionDays_ = AddEdit(kIdRetentionDays, "", design.retentionDays, ES_NUMBER | ES_RIGHT);
    ::SendMessageW(txtRetentionDays_, EM_LIMITTEXT, 4, 0);
    std::array<HWND, kIconGroupCount> frames{};
    for (size_t g = 0; g < kIconGroupCount; ++g) {
        const auto group = static_cast<IconGroup>(g);
        frames[g] = AddFrame(kIdFirstIconFrame + static_cast<int>(g), IconFrameCaption(group), design.frames[g]);
        for (int s = 0; s < kIconStyleCount; ++s) {
            options_[g][static_cast<size_t>(s)] =
                AddOption(IconOptionId(group, s), "", design.options[g][static_cast<size_t>(s)], s == 0);
            support::SetAccessibleName(options_[g][static_cast<size_t>(s)], IconStyleName(group, s),
                                       ROLE_SYSTEM_RADIOBUTTON);
        }
        // The first sample ends the option group, so arrow keys stay among the options.
        for (int s = 0; s < kIconStyleCount; ++s) {
            samples_[g][static_cast<size_t>(s)] =
                AddControl(L"STATIC", "", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY | (s == 0 ? WS_GROUP : 0), 0,
                           IconSampleId(group, s), design.samples[g][static_cast<size_t>(s)]);
            support::SetAccessibleName(samples_[g][static_cast<size_t>(s)], IconStyleName(group, s), ROLE_SYSTEM_GRAPHIC);
        }
        if (group == IconGroup::Message)
            chkGrayMessageIcon_ = AddCheckBox(kIdGrayMessageIcon, kGrayMessageIconCaption, design.grayMessageIcon);
    }
    HWND autorunLabel = AddLabel(kIdAutorunLabel, kAutorunLabel, design.autorunLabel, false, SS_LEFT);
    HWND addToAutorun = AddButton(kIdAddToAutorun, kAddToAutorunCaption, design.addToAutorun);
    HWND commands[3] = {
        AddButton(kIdLocalOk, kOkCaption, design.commands[0], true),
        AddButton(kIdLocalCancel, kCancelCaption, design.commands[1]),
        AddButton(kIdLocalApply, kApplyCaption, design.commands[2]),
    };

    // A screen font wider than the design's must not cut the check boxes short.
    int checkWidth = 0;
    for (HWND check : {chkDeleteMessageFiles_, chkHideBrokenMessageFiles_, chkGrayMessageIcon_})
        checkWidth = std::max(checkWidth, TextWidthTwips(check) + TwipsX(CheckBoxGlyphPx()));
    const LocalLayout l = LayoutLocalSettings(checkWidth, TextWidthTwips(chkSharedFolder_) + TwipsX(CheckBoxGlyphPx()),
                                              TextWidthTwips(retentionLabel));
    // Placed even when the window keeps its width: the days label may still
    // need more room than the design gives it.
    Place(txtUserName_, l.userName);
    Place(button->Handle(), l.defaultUserName);
    Place(chkDeleteMessageFiles_, l.deleteMessageFiles);
    Place(chkHideBrokenMessageFiles_, l.hideBrokenMessageFiles);
    Place(chkSharedFolder_, l.sharedFolder);
    Place(retentionLabel, l.retentionDaysLabel);
    Place(txtRetentionDays_, l.retentionDays);
    for (size_t g = 0; g < kIconGroupCount; ++g) Place(frames[g], l.frames[g]);
    Place(chkGrayMessageIcon_, l.grayMessageIcon);
    Place(autorunLabel, l.autorunLabel);
    Place(addToAutorun, l.addToAutorun);
    for (size_t i = 0; i < 3; ++i) Place(commands[i], l.commands[i]);
    ResizeClient(Handle(), PxX(l.clientWidth), PxY(kLocalClientHeight));
}

void frmLocalSettings::SetSample(IconGroup group, int style, const std::string& resource) {
    const size_t g = static_cast<size_t>(group), s = static_cast<size_t>(style);
    outside::ComPtr<IPicture> picture = outside::asLoadResTrayIcon(resource);
    OLE_HANDLE handle = 0;
    if (picture) picture->get_Handle(&handle);
    ::SendMessageW(samples_[g][s], STM_SETICON, static_cast<WPARAM>(handle), 0);
    // The picture owns the icon: the old one goes only after the control lets go of it.
    pictures_[g][s] = std::move(picture);
}

void frmLocalSettings::LoadIconSamples(bool all) {
    for (int i = 0; i < kIconStyleCount; ++i) {
        if (all) {
            SetSample(IconGroup::Tray, i, IconSampleResource(IconGroup::Tray, i, false));
            SetSample(IconGroup::Empty, i, IconSampleResource(IconGroup::Empty, i, false));
            SetSample(IconGroup::Message, i, IconSampleResource(IconGroup::Message, i, modSettings::GrayMessageIcon));
        } else {
            SetSample(IconGroup::Message, i, IconSampleResource(IconGroup::Message, i, Ticked(chkGrayMessageIcon_)));
        }
    }
}

HICON frmLocalSettings::SampleIcon(IconGroup group, int style) const {
    return reinterpret_cast<HICON>(::SendMessageW(
        samples_[static_cast<size_t>(group)][static_cast<size_t>(style)], STM_GETICON, 0, 0));
}

void frmLocalSettings::FillFromSettings() {
    const ChatSettingsValues v = ChatValuesFromSettings();
    ::SetWindowTextW(txtUserName_, outside::W(v.userName).c_str());
    Tick(chkDeleteMessageFiles_, v.deleteMessageFiles);
    Tick(chkHideBrokenMessageFiles_, v.hideBrokenMessageFiles);
    for (size_t g = 0; g < kIconGroupCount; ++g) outside::SetOptionIndex(options_[g], v.iconIndex[g]);
    Tick(chkGrayMessageIcon_, v.grayMessageIcon);
    // On a network drive the mode is on whatever is stored: shown ticked, not to be changed here.
    const bool automatic = exchange::IsNetworkFolder(chat_.chat->ChatFolder);
    Tick(chkSharedFolder_, v.sharedFolder || automatic);
    ::EnableWindow(chkSharedFolder_, !automatic);
    ::SetWindowTextW(txtRetentionDays_, outside::W(std::to_string(v.retentionDays)).c_str());
}

void frmLocalSettings::ApplyToSettings() {
    ChatSettingsValues v;
    v.userName = WindowText(txtUserName_);
    v.deleteMessageFiles = Ticked(chkDeleteMessageFiles_);
    v.hideBrokenMessageFiles = Ticked(chkHideBrokenMessageFiles_);
    for (size_t g = 0; g < kIconGroupCount; ++g) v.iconIndex[g] = outside::GetOptionIndex(options_[g]);
    v.grayMessageIcon = Ticked(chkGrayMessageIcon_);
    v.sharedFolder = ::IsWindowEnabled(chkSharedFolder_) ? Ticked(chkSharedFolder_) : modSettings::SharedFolder;
    v.retentionDays = RetentionDaysFromText(WindowText(txtRetentionDays_));
    ApplyChatValuesToSettings(v);
    // A number the box cannot stand for shows as the one kept.
    ::SetWindowTextW(txtRetentionDays_, outside::W(std::to_string(v.retentionDays)).c_str());
}

void frmLocalSettings::OnCommand(int id, int code, HWND) {
    if (id >= kIdFirstIconSample && id < kIdFirstIconSample + 10 * static_cast<int>(kIconGroupCount)) {
        const int g = (id - kIdFirstIconSample) / 10, s = (id - kIdFirstIconSample) % 10;
        if ((code == STN_CLICKED || code == STN_DBLCLK) && s < kIconStyleCount)
            outside::SetOptionIndex(options_[static_cast<size_t>(g)], s);
        return;
    }
    switch (id) {
        case kIdUserName:
            if (code == EN_SETFOCUS) outside::esTextBox_SelectAll(txtUserName_);
            break;
        case kIdSetDefaultUserName:
            if (code == BN_CLICKED) ::SetWindowTextW(txtUserName_, outside::W(modSettings::GetDefaultUserName()).c_str());
            break;
        case kIdGrayMessageIcon:
            if (code == BN_CLICKED) LoadIconSamples(false);
            break;
        case kIdAddToAutorun:
            if (code == BN_CLICKED) cmdAddToAutorun_Click();
            break;
        case kIdLocalOk: {
            ApplyToSettings();
            // In effect either way; a store that cannot be written keeps the
            // window open, with the reason shown.
            const bool saved = SaveOrReport([this] { modSettings::SaveChatSettings(chat_.chat->ChatFilePath); });
            if (chat_.showUserName) chat_.showUserName(modSettings::UserName);
            if (chat_.setTrayIcons) chat_.setTrayIcons();
            if (saved) Unload();
            break;
        }
        case kIdLocalApply:
            // The icons wait for OK (or the chat window's next load).
            ApplyToSettings();
            SaveOrReport([this] { modSettings::SaveChatSettings(chat_.chat->ChatFilePath); });
            if (chat_.showUserName) chat_.showUserName(modSettings::UserName);
            break;
        case kIdLocalCancel:
            Unload();
            break;
        default:
            break;
    }
}

void frmLocalSettings::OnUnload() { userNameHook_.reset(); }

int frmLocalSettings::Ask(const std::string& text, UINT style) const {
    return ::MessageBoxW(Handle(), outside::W(text).c_str(), outside::W(outside::TheProductIdentity().title).c_str(),
                         style);
}

void frmLocalSettings::cmdAddToAutorun_Click() {
    // Any failure, the Startup folder that Windows cannot find included, ends
    // in the shortcut's error box.
    try {
        AddToAutorun();
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, kShortcutFailedText);
    }
}

void frmLocalSettings::AddToAutorun() {
    AutorunPrompts prompts;
    prompts.fileExists = [](const std::string& path) { return outside::esIsFileExist(path); };
    prompts.askReplace = [this](const std::string& question) {
        switch (Ask(question, MB_YESNOCANCEL | MB_ICONWARNING)) {
            case IDYES: return ReplaceAnswer::Yes;
            case IDNO: return ReplaceAnswer::No;
            default: return ReplaceAnswer::Cancel;
        }
    };
    prompts.askName = [this](const std::string& prompt, const std::string& proposal) {
        return support::InputBox(Handle(), prompt, proposal);
    };
    const std::optional<std::string> linkPath = ChooseAutorunLinkPath(
        outside::esGetSpecialFolder(outside::kFolderStartup), chat_.chat->ChatFilePath, prompts);
    if (!linkPath) return;
    const std::string program = outside::esGetModuleFileName(0, true);
    CreateShortcut(*linkPath, program, chat_.chat->ChatFolder, AutorunArguments(chat_.chat->ChatFilePath), program, 0,
                   kShowDefault);
}

void frmLocalSettings::CreateShortcut(const std::string& linkPath, const std::string& target,
                                      const std::string& workingFolder, const std::string& arguments,
                                      const std::string& iconFile, int iconIndex, int showCommand) {
    if (linkPath.empty() || target.empty()) return;
    try {
        WriteShellLink({linkPath, target, workingFolder, arguments, iconFile, iconIndex, showCommand});
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, kShortcutFailedText);
        return;
    }
    Ask(kShortcutCreatedText, MB_OK | MB_ICONINFORMATION);
}

}  // namespace settings
