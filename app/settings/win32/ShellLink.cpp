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

void WriteShellLink(const ShellLinkSpec& spec) {
    if (spec.linkPath.empty() || spec.target.empty()) return;
    outside::ComPtr<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()),
          "ShellLink");
    Check(link->SetPath(outside::W(spec.target).c_str()), "SetPath");
    if (!spec.workingFolder.empty()) Check(link->SetWorkingDirectory(outside::W(spec.workingFolder).c_str()), "SetWorkingDirectory");
    if (!spec.arguments.empty()) Check(link->SetArguments(outside::W(spec.arguments).c_str()), "SetArguments");
    if (!spec.iconFile.empty())
        Check(link->SetIconLocation(outside::W(spec.iconFile).c_str(), spec.iconIndex), "SetIconLocation");
    Check(link->SetShowCmd(spec.showCommand), "SetShowCmd");
    // No window of its own: a target that cannot be found must not open a search box.
    Check(link->Resolve(nullptr, SLR_UPDATE | SLR_NO_UI), "Resolve");
    const auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file) Check(E_NOINTERFACE, "IPersistFile");
    Check(file->Save(outside::W(spec.linkPath).c_str(), FALSE), "Save");
}

}  // namespace settings
