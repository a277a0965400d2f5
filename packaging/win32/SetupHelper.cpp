// What the installer and uninstaller cannot do well in their own script. Never
// installed: they unpack it into their temporary folder and run it.
//
//   SetupHelper path-add DIR       puts DIR at the end of the machine's PATH, unless it is there
//   SetupHelper path-remove DIR    takes every copy of DIR out of the machine's PATH
//   SetupHelper open-as-user FILE  has the desktop's Explorer open FILE, so that it runs as the
//                                  user who is logged on, not with the installer's rights
//   SetupHelper remove-after PID FILE
//                                  once process PID has ended, deletes FILE and then its folder if
//                                  that is empty: an uninstaller run in place cannot delete itself
//
// Exit status 0 when done (or nothing to do), 1 when it failed. The script's own strings
// stop at 1,024 characters, and a longer PATH read and written back through them would be
// cut short; here it is read and written whole, and every other entry is kept as it was.
#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "outside/win32/Handles.h"

namespace {

using outside::ComPtr;

constexpr wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::vector<std::wstring> Split(const std::wstring& path) {
    std::vector<std::wstring> entries;
    size_t start = 0;
    for (size_t at = path.find(L';'); at != std::wstring::npos; at = path.find(L';', start)) {
        entries.push_back(path.substr(start, at - start));
        start = at + 1;
    }
    entries.push_back(path.substr(start));
    return entries;
}

// A PATH entry as a folder: without blanks and quotes around it or a final backslash.
std::wstring_view Folder(std::wstring_view entry) {
    while (!entry.empty() && (entry.front() == L' ' || entry.front() == L'"')) entry.remove_prefix(1);
    while (!entry.empty() && (entry.back() == L' ' || entry.back() == L'"')) entry.remove_suffix(1);
    while (entry.size() > 3 && entry.back() == L'\\') entry.remove_suffix(1);
    return entry;
}

std::wstring ParentOf(const std::wstring& file) {
    const size_t slash = file.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
}

bool SameFolder(std::wstring_view a, std::wstring_view b) {
    a = Folder(a);
    b = Folder(b);
    return !a.empty() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

struct PathValue {
    std::wstring text;
    DWORD type = REG_EXPAND_SZ;
};

bool ReadPath(HKEY key, PathValue& value) {
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key, L"Path", nullptr, &value.type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        value = {};
        return true;
    }
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return false;
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(key, L"Path", nullptr, &value.type, reinterpret_cast<BYTE*>(text.data()), &bytes);
        if (status == ERROR_SUCCESS) {
            text.resize(bytes / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            value.text = std::move(text);
            return true;
        }
    }
    return false;
}

bool WritePath(HKEY key, const PathValue& value) {
    const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(key, L"Path", 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()), bytes) !=
        ERROR_SUCCESS)
        return false;
    // Programs started from now on (a new command prompt) see the change.
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                          SMTO_ABORTIFHUNG, 5000, nullptr);
    return true;
}

int ChangePath(const std::wstring& folder, bool add) {
    if (Folder(folder).empty()) return 1;
    outside::UniqueRegKey key;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) !=
        ERROR_SUCCESS)
        return 1;
    key.reset(opened);
    PathValue path;
    if (!ReadPath(key.get(), path)) return 1;

    std::vector<std::wstring> kept;
    bool found = false;
    for (std::wstring& entry : Split(path.text)) {
        if (SameFolder(entry, folder))
            found = true;
        else
            kept.push_back(std::move(entry));
    }
    if (add == found) return 0;
    if (add) {
        if (!path.text.empty() && path.text.back() != L';') path.text += L';';
        path.text += folder;
    } else {
        path.text.clear();
        for (size_t i = 0; i < kept.size(); ++i) path.text += (i ? L";" : L"") + kept[i];
    }
    return WritePath(key.get(), path) ? 0 : 1;
}

// Explorer's own Shell.Application, reached through the desktop's view: a call on it
// runs in Explorer's process, with the token of the user who is logged on.
ComPtr<IShellDispatch2> DesktopShell() {
    ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.put_void())))
        return nullptr;
    outside::Variant desktop;
    desktop.get()->vt = VT_I4;
    desktop.get()->lVal = CSIDL_DESKTOP;
    outside::Variant none;
    long window = 0;
    ComPtr<IDispatch> found;
    if (windows->FindWindowSW(desktop.get(), none.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) !=
            S_OK ||
        !found)
        return nullptr;
    ComPtr<IServiceProvider> services = found.As<IServiceProvider>(IID_IServiceProvider);
    ComPtr<IShellBrowser> browser;
    if (!services || FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
        !browser)
        return nullptr;
    ComPtr<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.put())) || !view) return nullptr;
    ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) || !background)
        return nullptr;
    ComPtr<IShellFolderViewDual> folderView = background.As<IShellFolderViewDual>(IID_IShellFolderViewDual);
    ComPtr<IDispatch> application;
    if (!folderView || FAILED(folderView->get_Application(application.put())) || !application) return nullptr;
    return application.As<IShellDispatch2>(IID_IShellDispatch2);
}

VARIANT Text(BSTR text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

int OpenAsUser(const std::wstring& file) {
    outside::ComApartment apartment;
    ComPtr<IShellDispatch2> shell = DesktopShell();
    if (!shell) return 1;
    const std::wstring folder = ParentOf(file);
    outside::Bstr path(file.c_str()), none(L""), directory(folder.c_str()), verb(L"open");
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(path.get(), Text(none.get()), Text(directory.get()), Text(verb.get()), show))
               ? 0
               : 1;
}

int RemoveAfter(const std::wstring& processId, const std::wstring& file) {
    outside::UniqueHandle process(
        ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::wcstoul(processId.c_str(), nullptr, 10))));
    if (process) ::WaitForSingleObject(process.get(), 60000);
    // This copy of the helper is in the temporary folder, and in use: it goes at the next restart.
    wchar_t self[MAX_PATH] = {};
    if (::GetModuleFileNameW(nullptr, self, MAX_PATH))
        ::MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    // A file just let go of may stay held a moment longer (a virus scanner looks at it).
    bool deleted = false;
    for (int i = 0; i < 50 && !deleted; ++i) {
        deleted = ::DeleteFileW(file.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
        if (!deleted) ::Sleep(100);
    }
    ::RemoveDirectoryW(ParentOf(file).c_str());
    return deleted ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    const std::wstring command = argv[1];
    if (command == L"remove-after" && argc == 4) return RemoveAfter(argv[2], argv[3]);
    if (argc != 3) return 1;
    if (command == L"path-add") return ChangePath(argv[2], true);
    if (command == L"path-remove") return ChangePath(argv[2], false);
    if (command == L"open-as-user") return OpenAsUser(argv[2]);
    return 1;
}
