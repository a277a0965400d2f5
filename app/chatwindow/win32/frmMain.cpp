#include "frmMain.h"

#include <commctrl.h>
#include <oleacc.h>
#include <richedit.h>

#include "../ChatWindowLogic.h"
#include "SendFilesCommand.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageSender.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/modSettings.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/support/modAppWindowTitle.h"
#include "app/support/modFormatVersion.h"
#include "app/support/win32/AccessibleName.h"
#include "app/support/win32/modLoadResPictureByData.h"
#include "outside/MessageBoxes.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/WindowPlacementWin32.h"
#include "outside/win32/WindowSupport.h"

namespace chatwindow {
namespace {

constexpr wchar_t kClassName[] = L"QuilletChatWindow";
constexpr UINT_PTR kUpdateTimer = 1;
constexpr char kPlacementName[] = "frmMain";
enum ControlId : int { kIdLog = 100, kIdMessage, kIdUserName, kIdNameLabel, kIdLogLabel, kIdFirstButton = 200 };

struct ToolbarEntry {
    const char* picture;
    const char* toolTip;
};
// Left to right: ucbLocalSettings, ucbGlobalSettings, ucbLogs, ucbMakeTransparent, ucbExit.
constexpr ToolbarEntry kToolbar[kButtonCount] = {
    {"IDP_LOCAL_SETTINGS", " Локальные настройки (Shift+F9) "},
    {"IDP_GLOBAL_SETTINGS", " Глобальные настройки (F9) "},
    {"IDP_SHOW_LOGS", " Просмотр логов (Ctrl+L) "},
    {"IDP_MAKE_TRANSPARENT", " Сделать окно полупрозрачным (Ctrl+0) "},
    {"IDP_EXIT", " Выход (Shift+Esc) "},
};
constexpr uint32_t kButtonFace = 0x8000000F;
// Tray menu items: mnuContext(index) has the command id kMenuBase + index.
constexpr UINT kMenuBase = 2000;
enum MenuIndex : int { kMenuShow = 0, kMenuLogs = 1, kMenuSeparator = 10, kMenuExit = 11 };

frmMain* g_current = nullptr;

HICON IconOf(const outside::ComPtr<IPicture>& picture) {
    OLE_HANDLE handle = 0;
    if (picture) picture->get_Handle(&handle);
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

}  // namespace

frmMain::frmMain(startup::ChatPtr chat)
    : chat_(std::move(chat)),
      // A hidden window is never the one the user looks at, even if it holds the activation.
      display_(pane_, DisplayHooks{[this] { return ::IsWindowVisible(Handle()) && ::GetForegroundWindow() == Handle(); },
                                   [this] {
                                       if (icBlinker_) icBlinker_->SetBlink(true);
                                   },
                                   [this](bool, bool) { return SaveLogAfterLine(); },
                                   {}}),
      log_(pane_, {}, DisplayColours),
      dispatcher_(*this) {}

frmMain::~frmMain() {
    // An owner that drops a loaded window still gets the closing sequence.
    if (IsLoaded()) {
        exitRequested_ = true;
        QueryUnload(false);
    }
    if (g_current == this) g_current = nullptr;
}

frmMain* frmMain::Current() { return g_current; }

std::unique_ptr<frmMain> frmMain::Load(startup::ChatPtr chat, bool startHidden) {
    if (!chat) return nullptr;
    std::unique_ptr<frmMain> form(new frmMain(std::move(chat)));
    if (!form->Create(startHidden)) return nullptr;
    return form;
}

bool frmMain::Create(bool startHidden) {
    Design design;
    design.className = kClassName;
    design.clientWidth = kDesignClientWidth;
    design.clientHeight = kDesignClientHeight;
    design.sizable = true;
    design.dialogKeys = false;  // the message box takes Enter, Tab and Esc itself
    design.minClientWidth = kMinClientWidth;
    design.minClientHeight = kMinClientHeight;
    if (!CreateForm(design)) return false;
    g_current = this;

    if (!outside::esIsInIDE()) outside::asSetWindowResIconAll(Handle(), "A_MAIN");
    outside::esFixUserControlsContainerWindow();
    modSettings::LoadChatSettings(chat_->ChatFilePath);
    CreateControls();
    int showCommand = SW_SHOWNORMAL;
    bool restored = false;
    try {
        outside::SettingsStore store;
        restored = outside::RestoreWindowPlacement(store, chat_->ChatFilePath, kPlacementName, Handle(), &showCommand);
    } catch (const outside::RuntimeError&) {
    }
    if (!restored) outside::esCenterFormEx(Handle(), 0);
    ::SetWindowTextW(txtUserNameRO_, outside::W(modSettings::UserName).c_str());
    SetCaption(modAppWindowTitle::DocumentWindowTitle("", chat_->ChatFilePath));
    CreateTray();
    StartSubclassing();
    selectAllHooks_[0] = std::make_unique<support::csTBSelectAllHook>();
    selectAllHooks_[0]->Init(txtUserNameRO_);
    selectAllHooks_[1] = std::make_unique<support::csTBSelectAllHook>();
    selectAllHooks_[1]->Init(txtMessage_);
    LoadToolbarPictures();
    for (support::ucButton* button : buttons_) ::ShowWindow(button->Handle(), SW_SHOW);

    watcher_ = exchange::CreateFolderWatcher();
    watcher_->StartWatch(chat_->ChatFolder);
    poller_ = std::make_unique<exchange::UpdatePoller>(*watcher_, dispatcher_, *this);
    ::SetTimer(Handle(), kUpdateTimer, exchange::kTimerIntervalMs, nullptr);
    // The first tick at once: messages waiting in the folder need not wait an interval.
    ::PostMessageW(Handle(), WM_TIMER, kUpdateTimer, 0);

    if (!startHidden) {
        ::ShowWindow(Handle(), showCommand);
        ::UpdateWindow(Handle());
        ::SetFocus(txtMessage_);  // hidden, the focus would make the unseen window the active one
    }
    return true;
}

void frmMain::CreateControls() {
    buttonFaceBrush_.reset(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    const auto make = [&](const wchar_t* cls, const std::string& text, DWORD style, DWORD exStyle, int id) {
        return AddControl(cls, text, style, exStyle, id, {0, 0, 150, 150});
    };
    lblName_ = make(L"STATIC", "Меня зовут:", SS_LEFTNOWORDWRAP, 0, kIdNameLabel);
    txtUserNameRO_ = make(L"EDIT", "", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE, kIdUserName);
    lblLog_ = make(L"STATIC", "Журнал текущей беседы:", SS_LEFTNOWORDWRAP, 0, kIdLogLabel);
    pane_.Attach(modRTFSupport::CreateRichEditPane(Handle(), kIdLog));
    txtMessage_ = make(L"EDIT", "", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                       WS_EX_CLIENTEDGE, kIdMessage);
    for (int i = 0; i < kButtonCount; ++i) {
        buttons_[static_cast<size_t>(i)] = support::ucButton::Create(Handle(), kIdFirstButton + i, 0, 0, PxX(kButtonSize),
                                                            PxY(kButtonSize));
        buttons_[static_cast<size_t>(i)]->SetToolTip(kToolbar[i].toolTip);
        // Shown once their pictures are in: a button draws its picture when it is shown.
        ::ShowWindow(buttons_[static_cast<size_t>(i)]->Handle(), SW_HIDE);
    }
    for (HWND child : {txtMessage_, txtUserNameRO_, pane_.Handle()}) PreviewKeysOf(child);
    support::PaneLinks::Enable(pane_.Handle());
    AcceptDroppedFiles(Handle(), pane_.Handle());
    // Labels name what follows them; the pane's is not its own and the message box has none.
    support::SetAccessibleName(pane_.Handle(), "Журнал текущей беседы", ROLE_SYSTEM_TEXT);
    support::SetAccessibleName(txtMessage_, "Сообщение", ROLE_SYSTEM_TEXT);
    Form_Resize();
}

void frmMain::Form_Resize() {
    if (::IsIconic(Handle())) return;
    OnResize(ClientWidthTwips(), ClientHeightTwips());
}

void frmMain::OnResize(int width, int height) {
    ChatLayout l = LayoutChatWindow(std::max(width, kMinClientWidth), std::max(height, kMinClientHeight));
    // A wider screen font than Tahoma's (Wine without it) must not cut the labels short.
    l.nameLabel.width = std::min(std::max(l.nameLabel.width, TextWidthTwips(lblName_)), l.userName.left - l.nameLabel.left);
    l.logLabel.width = std::max(l.logLabel.width, TextWidthTwips(lblLog_));
    Place(lblName_, l.nameLabel);
    Place(txtUserNameRO_, l.userName);
    Place(lblLog_, l.logLabel);
    Place(pane_.Handle(), l.log);
    Place(txtMessage_, l.message);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]) Place(buttons_[i]->Handle(), l.buttons[i]);
}

void frmMain::LoadToolbarPictures() {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        try {
            buttons_[i]->SetPicture(
                modLoadResPictureByData::LoadResPictureByData(kToolbar[i].picture, "PNG_PICTURES", kButtonFace));
        } catch (const outside::RuntimeError&) {
            // A button whose picture failed stays without one.
        }
    }
}

void frmMain::DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                             exchange::MessageKind kind, const std::string& fileName) {
    // A pass puts its messages into the pane once per redraw, not one by one.
    if (dispatcher_.InPass()) pane_.BeginBatch();
    display_.DisplayMessage(userName, text, time, kind, fileName);
    notifications_.MessageShown(userName, text, kind, ::IsWindowVisible(Handle()) && ::GetForegroundWindow() == Handle(),
                                ::GetTickCount());
}
void frmMain::ShowSystemMessage(const std::string& text) { display_.ShowSystemMessage(text); }
void frmMain::ShowDebugMessage(const std::string& text) { display_.ShowDebugMessage(text); }
bool frmMain::SaveLog(bool silent, bool resetName) {
    const bool saved = log_.SaveLog(silent, resetName);
    if (saved) {
        logDirty_ = false;
        saveFailureShown_ = false;
    } else if (silent && !saveFailureShown_ && !log_.LastError().empty()) {
        // Read files stay in the folder until their log is saved; the user must know why.
        saveFailureShown_ = true;
        ShowSystemMessage("Не удалось сохранить лог.\r\n" + log_.LastError() + "\r\n" +
                          "Прочитанные сообщения останутся в папке чата, пока лог не сохранится.");
    }
    return saved;
}
void frmMain::ClearConversation() { pane_.Clear(); }
void frmMain::SetCaption(const std::string& caption) {
    // Progress captions during a pass: the first at once, then a few a second.
    // A caption change costs as much as reading a file, so one per file would
    // halve the speed of a long pass.
    constexpr DWORD kCaptionIntervalMs = 100;
    const DWORD now = ::GetTickCount();
    if (dispatcher_.InPass() && captionShownInPass_ && now - lastCaption_ < kCaptionIntervalMs) {
        pendingCaption_ = caption;
        return;
    }
    captionShownInPass_ = dispatcher_.InPass();
    lastCaption_ = now;
    ::SetWindowTextW(Handle(), outside::W(caption).c_str());
    pendingCaption_.clear();
}

bool frmMain::SaveLogAfterLine() {
    if (dispatcher_.InPass()) {
        logDirty_ = true;  // the pass saves once per batch of files, before it removes them
        return true;
    }
    return SaveLog(true, false);
}

void frmMain::PassFinished() {
    captionShownInPass_ = false;
    if (!pendingCaption_.empty()) SetCaption(std::string(pendingCaption_));
    pane_.EndBatch();
    if (logDirty_) SaveLog(true, false);
}

void frmMain::PumpMessagesOnce() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateAndDispatch(msg);
    }
}

void frmMain::tmrUpdate_Timer() {
    try {
        poller_->Tick();
    } catch (const outside::RuntimeError& e) {
        try {
            ShowSystemMessage(outside::TheErrorReport().DescribeError(e));
        } catch (...) {
        }
    } catch (const std::exception&) {
    }
    try {
        UpdateNotifications();
    } catch (const std::exception&) {
        // A notification that cannot be made costs only itself.
    }
    if (closePending_ && !dispatcher_.InPass()) {
        closePending_ = false;
        QueryUnload(false);
    }
}

void frmMain::CreateTray() {
    stMain_ = std::make_unique<outside::Perchlet>();
    stMain_->OnTrayEvent = [this](UINT) { stMain_TrayEvent(); };
    wchar_t caption[512] = {};
    ::GetWindowTextW(Handle(), caption, 512);
    trayCaption_ = outside::U8(caption);
    stMain_->SetText(TrayTipText(trayCaption_, 0));
    stMain_->SetVisible(true);
    try {
        icBlinker_ = std::make_unique<BlinkerHost>();
        icBlinker_->OnUpdateIcon = [this](const outside::ComPtr<IPicture>& picture) {
            if (stMain_) stMain_->SetIcon(picture);
        };
        icBlinker_->SetBlink(false);
    } catch (const outside::RuntimeError& e) {
        // Without the blinker the chat works; only the tray icon stays still.
        icBlinker_.reset();
        ShowDebugMessage("frmMain.Load() ==> Мигающий значок недоступен.\r\n" +
                         outside::TheErrorReport().DescribeError(e));
    }
    SetTrayIcons();
    mnuMain_ = ::CreatePopupMenu();
    ::AppendMenuW(mnuMain_, MF_STRING, kMenuBase + kMenuShow, outside::W("Показать окно сообщений").c_str());
    ::AppendMenuW(mnuMain_, MF_STRING, kMenuBase + kMenuLogs, outside::W("Просмотр логов").c_str());
    ::AppendMenuW(mnuMain_, MF_SEPARATOR, kMenuBase + kMenuSeparator, nullptr);
    ::AppendMenuW(mnuMain_, MF_STRING, kMenuBase + kMenuExit, outside::W("Выход").c_str());
    trayMenu_ = std::make_unique<outside::TrayMenu>();
    trayMenu_->Attach(Handle(), stMain_.get(), mnuMain_, kMenuBase + kMenuShow);
}

void frmMain::SetTrayIcons() {
    outside::asSetWindowIconSmall(Handle(), nullptr);
    const auto number = [](int32_t index) { return std::to_string(index); };
    trayPictures_.tray = outside::asLoadResTrayIcon("IDI_TRAY_" + number(modSettings::TrayIconIndex));
    trayPictures_.message = outside::asLoadResTrayIcon("IDI_MESSAGE_" + number(modSettings::MessageIconIndex) +
                                                       (modSettings::GrayMessageIcon ? "A" : ""));
    trayPictures_.empty = outside::asLoadResTrayIcon("IDI_EMPTY_" + number(modSettings::EmptyIconIndex));
    stMain_->SetIcon(trayPictures_.tray);
    if (icBlinker_) {
        icBlinker_->SetBlinkIcon1(trayPictures_.message);
        icBlinker_->SetBlinkIcon2(trayPictures_.empty);
        icBlinker_->SetStandardIcon(stMain_->Icon());
    }
    outside::asSetWindowIconSmall(Handle(), stMain_->IconHandle());
}

void frmMain::UpdateNotifications() {
    if (!stMain_) return;
    const auto due = notifications_.Due(::GetTickCount(), dispatcher_.InPass(), modSettings::ShowNotifications,
                                        ChatName(chat_->ChatFilePath));
    if (due) stMain_->ShowBalloon(due->title, due->text, IconOf(trayPictures_.tray));
    const std::string tip = TrayTipText(trayCaption_, notifications_.Unread());
    if (tip != stMain_->Text()) stMain_->SetText(tip);
}

void frmMain::ChatWindowSeen() {
    if (icBlinker_ && icBlinker_->Blink()) icBlinker_->SetBlink(false);
    notifications_.Seen();
    if (!stMain_) return;
    stMain_->HideBalloon();
    UpdateNotifications();
}

void frmMain::stMain_TrayEvent() {
    if (trayMenu_ && trayMenu_->HandleTrayEvent()) return;
    ::ShowWindow(Handle(), SW_SHOW);
    if (::IsIconic(Handle())) ::OpenIcon(Handle());
    ::SetForegroundWindow(Handle());
}

void frmMain::mnuContext_Click(int index) {
    switch (index) {
        case kMenuShow:
            ::ShowWindow(Handle(), SW_SHOW);
            if (::IsIconic(Handle())) ::OpenIcon(Handle());
            ::SetForegroundWindow(Handle());
            break;
        case kMenuLogs:
            buttons_[kLogs]->ClickMe();
            break;
        case kMenuExit:
            exitRequested_ = true;
            outside::esUnloadForm(Handle());
            break;
        default:
            break;
    }
}

void frmMain::StartSubclassing() {
    if (outside::esIsInIDE()) return;
    const HWND windows[] = {Handle(), txtMessage_, txtUserNameRO_};
    for (size_t i = 0; i < hooks_.size(); ++i) {
        if (!hooks_[i]) hooks_[i] = std::make_unique<outside::Hookwell>();
        hooks_[i]->SetCallback(this);
        hooks_[i]->HookWindow(windows[i]);
    }
}

void frmMain::StopSubclassing() {
    for (auto& hook : hooks_) {
        if (!hook) continue;
        hook->SetCallback(nullptr);
        hook->HookWindow(nullptr);
        hook.reset();
    }
}

void frmMain::WindowProc(outside::Hookwell&, HWND window, UINT& message, WPARAM& wParam, LPARAM& lParam, LRESULT&,
                         bool& suppress) {
    if (window == Handle()) {
        if ((message == WM_ACTIVATE && LOWORD(wParam) != 0 && ::IsWindowVisible(Handle())) ||
            (message == WM_SHOWWINDOW && wParam != 0)) {
            ChatWindowSeen();
            return;
        }
    }
    if (message == WM_MOUSEWHEEL) {
        POINT at{};
        ::GetCursorPos(&at);
        ::ScreenToClient(Handle(), &at);
        if (::ChildWindowFromPoint(Handle(), at) == pane_.Handle()) {
            // The pane under the pointer scrolls, wherever the focus is.
            ::SendMessageW(pane_.Handle(), WM_MOUSEWHEEL, wParam, lParam);
            message = WM_NULL;
            wParam = 0;
            lParam = 0;
            suppress = true;
        }
    }
}

void frmMain::PreviewKeysOf(HWND child) {
    if (child) ::SetWindowSubclass(child, KeyPreviewProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK frmMain::KeyPreviewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<frmMain*>(data);
    try {
        switch (msg) {
            case WM_KEYDOWN:
                if (self->Form_KeyDown(hwnd, static_cast<int>(wParam))) return 0;
                break;
            case WM_SYSKEYDOWN:
                self->swallowChar_ = false;
                break;
            case WM_PASTE:
                // Files copied in Explorer are sent, not pasted as text.
                if (hwnd == self->txtMessage_ && ClipboardHasFiles()) {
                    SendFiles(self->Chat(), ClipboardFiles(hwnd), *self);
                    return 0;
                }
                break;
            case WM_CHAR:
                if (self->swallowChar_) {
                    self->swallowChar_ = false;
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                ::RemoveWindowSubclass(hwnd, KeyPreviewProc, 1);
                break;
            default:
                break;
        }
    } catch (...) {
        // Nothing may leave a window procedure.
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool frmMain::Form_KeyDown(HWND source, int virtualKey) {
    swallowChar_ = false;  // a new key: whatever the last one left is over
    const Modifiers modifiers = CurrentModifiers();
    const HotKeyAction action = HotKeyFor(virtualKey, modifiers);
    // Set before acting: the action may unload the window (the object lives on).
    const bool handled = action != HotKeyAction::None ||
                         (source == txtMessage_ && IsSendKey(virtualKey, modifiers, modSettings::SendOnEnter));
    if (handled) swallowChar_ = KeyMakesCharacter(virtualKey, modifiers);
    switch (action) {
        case HotKeyAction::None:
            break;
        case HotKeyAction::ReadMe: ShowReadMe(); break;
        case HotKeyAction::About: ShowAboutBox(); break;
        case HotKeyAction::Hide: HideWindow(); break;
        case HotKeyAction::Exit: Unload(); break;
        case HotKeyAction::GlobalSettings: buttons_[kGlobalSettings]->ClickMe(); break;
        case HotKeyAction::LocalSettings: buttons_[kLocalSettings]->ClickMe(); break;
        case HotKeyAction::Logs: buttons_[kLogs]->ClickMe(); break;
        case HotKeyAction::MakeTransparent: buttons_[kMakeTransparent]->ClickMe(); break;
        case HotKeyAction::SendFile: SendFiles(Chat(), ChooseFilesToSend(Handle()), *this); break;
    }
    if (action == HotKeyAction::None && handled) SendFromMessageBox();  // the Enter is no line break
    return handled;
}

void frmMain::SendFromMessageBox() {
    const int length = ::GetWindowTextLengthW(txtMessage_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(txtMessage_, text.data(), length + 1)));
    if (exchange::SendComposedMessage(Chat(), outside::U8(text), *this) == exchange::SendOutcome::Sent)
        ::SetWindowTextW(txtMessage_, L"");
}

void frmMain::ToolbarClick(int button) {
    ::SetFocus(txtMessage_);
    switch (button) {
        case kMakeTransparent:
            transparencyPercent_ = NextTransparency(transparencyPercent_);
            outside::esSetWindowTransparecny(Handle(), transparencyPercent_, true);
            break;
        case kExit:
            Unload();
            break;
        case kLogs:
            logsviewer::frmLogsViewer::ShowViewer(chat_);
            break;
        case kGlobalSettings:
            settings::frmGlobalSettings::Open(Handle());
            break;
        case kLocalSettings:
            settings::frmLocalSettings::Open(
                {Handle(), chat_, [this](const std::string& name) { ::SetWindowTextW(txtUserNameRO_, outside::W(name).c_str()); },
                 [this] { SetTrayIcons(); }});
            break;
        default:
            break;
    }
}

void frmMain::HideWindow() {
    if (modSettings::ClearScrollbackOnHide && SaveLog(true, true)) ClearConversation();
    ::ShowWindow(Handle(), SW_HIDE);
}

void frmMain::Unload() { QueryUnload(false); }

void frmMain::QueryUnload(bool fromCloseCommand) {
    if (fromCloseCommand && !outside::esIsKeyPressed(VK_SHIFT) && !exitRequested_) {
        HideWindow();
        return;
    }
    if (dispatcher_.InPass()) {
        closePending_ = true;  // a pass is running under us: close when it ends
        return;
    }
    exitRequested_ = false;
    if (!SaveLog(false, false)) return;
    unloading_ = true;
    logsviewer::frmLogsViewer::UnloadViewer();
    ::KillTimer(Handle(), kUpdateTimer);
    poller_.reset();
    watcher_.reset();
    try {
        outside::SettingsStore store;
        outside::SaveWindowPlacement(store, chat_->ChatFilePath, kPlacementName, Handle());
    } catch (const outside::RuntimeError&) {
    }
    StopSubclassing();
    trayMenu_.reset();
    for (auto& hook : selectAllHooks_) hook.reset();
    if (mnuMain_) ::DestroyMenu(mnuMain_);
    mnuMain_ = nullptr;
    icBlinker_.reset();
    // The tray icon goes last, after everything else is released.
    if (stMain_) stMain_->SetVisible(false);
    stMain_.reset();
    DestroyForm();
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kUpdateTimer) {
                tmrUpdate_Timer();
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == txtUserNameRO_) {
                ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(buttonFaceBrush_.get());
            }
            break;
        case WM_SYSCOMMAND:
            // The close box, the system menu, Alt+F4 and the program's own unload.
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                QueryUnload(true);
                return 0;
            }
            break;
        case WM_CLOSE:
            // A bare close comes from another program (a task manager ending the task): the program ends.
            QueryUnload(false);
            return 0;
        case WM_KEYDOWN:
            if (Form_KeyDown(Handle(), static_cast<int>(wParam))) return 0;
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= kIdFirstButton &&
                LOWORD(wParam) < kIdFirstButton + static_cast<int>(kButtonCount)) {
                ToolbarClick(LOWORD(wParam) - kIdFirstButton);
                return 0;
            }
            if (LOWORD(wParam) >= kMenuBase && LOWORD(wParam) <= kMenuBase + kMenuExit) {
                mnuContext_Click(LOWORD(wParam) - kMenuBase);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            ::SetFocus(txtMessage_);
            return 0;
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            const std::vector<std::string> files = DroppedFiles(drop);
            ::DragFinish(drop);
            SendFiles(Chat(), files, *this);
            return 0;
        }
        case WM_NOTIFY: {
            // Clicks on the links to sent files.
            LRESULT result = 0;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == pane_.Handle() && pane_.Links().HandleNotify(header, chat_->ChatFolder, result)) return result;
            break;
        }
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam && !unloading_) {
                exitRequested_ = true;
                QueryUnload(false);
            }
            return 0;
        default:
            break;
    }
    return FormBase::HandleMessage(msg, wParam, lParam);
}

}  // namespace chatwindow
