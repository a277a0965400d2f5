#include <windows.h>

#include "../MessageBoxes.h"
#include "../ProductIdentity.h"
#include "Wide.h"
#include "WindowSupport.h"

namespace outside {
namespace {

HWND MessageBoxOwner() {
    // The window the user is in: this thread's active window. A box owned by
    // the hidden owner window would leave it live behind the box, so that its
    // buttons could start a second command while the first one waits.
    HWND active = ::GetActiveWindow();
    if (active && ::IsWindowVisible(active) && ::IsWindowEnabled(active)) return active;
    return nullptr;
}

}  // namespace

int MsgBox(const std::string& text, int style) {
    HWND owner = MessageBoxOwner();
    // With no window of ours active, task-modal: every window of the thread,
    // a chat window hidden in the tray included, waits for the answer.
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    return ::MessageBoxW(owner, W(text).c_str(), W(TheProductIdentity().title).c_str(),
                         static_cast<UINT>(style) | modality | MB_SETFOREGROUND);
}

}  // namespace outside
