#include "ShellLink.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"

namespace settings {
namespace {

void Check(HRESULT hr, const char* step) {
    if (FAILED(hr)) throw outside::ComError(hr, step);
}

}  // namespace

void WriteShellLink(const ShellLinkSpec& shortcut) {
    if (shortcut.linkPath.empty() || shortcut.target.empty()) return;
    outside::ComPtr<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()),
          "ShellLink");
    Check(link->SetPath(outside::W(shortcut.target).c_str()), "SetPath");
    if (!shortcut.workingFolder.empty()) Check(link->SetWorkingDirectory(outside::W(shortcut.workingFolder).c_str()), "SetWorkingDirectory");
    if (!shortcut.arguments.empty()) Check(link->SetArguments(outside::W(shortcut.arguments).c_str()), "SetArguments");
    if (!shortcut.iconFile.empty())
        Check(link->SetIconLocation(outside::W(shortcut.iconFile).c_str(), shortcut.iconIndex), "SetIconLocation");
    Check(link->SetShowCmd(shortcut.showCommand), "SetShowCmd");
    // No window of its own: a target that cannot be found must not open a search box.
    Check(link->Resolve(nullptr, SLR_UPDATE | SLR_NO_UI), "Resolve");
    const auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file) Check(E_NOINTERFACE, "IPersistFile");
    Check(file->Save(outside::W(shortcut.linkPath).c_str(), FALSE), "Save");
}

}  // namespace settings
