// Main: prepares the process, reads the command line and opens one window.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "../modMain.h"
#include "StandInWindow.h"
#include "app/chatwindow/win32/frmMain.h"
#include "app/settings/modSettings.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"
#include "outside/win32/WindowSupport.h"

namespace modMain {
namespace {

int RunMessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
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
    try {
        outside::esRegisterAppPath();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        if (!outside::esIsInIDE())
            outside::asSetWindowResIconAll(outside::esGetThunderMainHandle(), "A_MAIN");
        modSettings::LoadClientGuid();
        modSettings::LoadGlobalSettings();

        switch (ParseCommandLine()) {
            case StartupDecision::Usage:
                ShowUsage();
                return 0;
            case StartupDecision::EntryWindow:
                startup::ShowStandInWindow("Quillet :: Вход в систему");
                break;
            case StartupDecision::OpenChat:
                if (!chatwindow::frmMain::Load(StartHidden)) return 1;
                break;
        }
        return RunMessageLoop();
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, "Не удалось запустить программу.");
        return 1;
    }
}

}  // namespace modMain
