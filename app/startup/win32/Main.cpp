// Main: prepares the process, reads the command line and opens one window.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <memory>

#include "../modMain.h"
#include "ProgramWindows.h"
#include "frmLogin.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/support/win32/FormBase.h"
#include "app/settings/modSettings.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"
#include "outside/win32/Win32Error.h"
#include "outside/win32/WindowSupport.h"

namespace modMain {
namespace {

// One owner for each window object; the loop ends when the last window is gone.
std::unique_ptr<chatwindow::frmMain> g_chatWindow;
std::unique_ptr<startup::frmLogin> g_loginWindow;

int RunMessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) support::FormBase::TranslateAndDispatch(msg);
    return static_cast<int>(msg.wParam);
}

// A window that could not be made, with the system's reason where it gave one.
outside::RuntimeError WindowNotMade(const char* window) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_SUCCESS) return outside::Win32Error(code);
    return outside::RuntimeError(outside::kErrInternal, "Не удалось создать окно.", window);
}

class OleSession {
public:
    OleSession() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession() {
        if (ok_) ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool ok_;
};

}  // namespace

int Main() {
    OleSession ole;
    struct WindowsLast {  // the window objects go before OLE does
        ~WindowsLast() {
            g_chatWindow.reset();
            g_loginWindow.reset();
        }
    } windowsLast;
    try {
        outside::esRegisterAppPath();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        if (!outside::esIsInIDE())
            outside::asSetWindowResIconAll(outside::esGetThunderMainHandle(), "A_MAIN");
        modSettings::LoadClientGuid();
        modSettings::LoadGlobalSettings();

        startup::ChatPtr chat;
        switch (ParseCommandLine(chat)) {
            case StartupDecision::Usage:
                ShowUsage();
                return 0;
            case StartupDecision::EntryWindow:
                g_loginWindow = startup::frmLogin::Load();
                if (!g_loginWindow) throw WindowNotMade("frmLogin");
                break;
            case StartupDecision::OpenChat:
                startup::LoadChatWindow(std::move(chat), StartHidden);
                break;
        }
        return RunMessageLoop();
    } catch (const outside::RuntimeError& e) {
        startup::ReportStartFailure(e);
        return 1;
    }
}

}  // namespace modMain

namespace startup {

void LoadChatWindow(ChatPtr chat, bool hidden) {
    modMain::g_chatWindow = chatwindow::frmMain::Load(std::move(chat), hidden);
    if (!modMain::g_chatWindow) throw modMain::WindowNotMade("frmMain");
}

void ReportStartFailure(const outside::RuntimeError& error) {
    outside::TheErrorReport().ShowError(error, outside::kMbIconError, "Не удалось запустить программу.");
}

}  // namespace startup
