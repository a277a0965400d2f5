#include "FileDialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "app/support/FileDialogLogic.h"
#include "outside/RuntimeError.h"
#include "outside/win32/Wide.h"

namespace support {
namespace {

constexpr char kSource[] = "FileDialog";
// Room for long paths (the \\?\ limit), not just MAX_PATH.
constexpr size_t kFileBufferChars = 32768;

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(outside::W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The name of an existing file as the disk spells it; the path unchanged when
// there is none.
std::string AsOnDisk(const std::string& path) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW(outside::W(path).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return path;
    ::FindClose(find);
    const size_t slash = path.find_last_of("\\/");
    return path.substr(0, slash == std::string::npos ? 0 : slash + 1) + outside::U8(found.cFileName);
}

}  // namespace

std::string FileDialog::DocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder))) return outside::U8(folder);
    return {};
}

std::string FileDialog::StartFolder(const std::string& initDir) {
    return IsFolder(initDir) ? initDir : DocumentsFolder();
}

bool FileDialog::ShowOpen() { return Show(false); }
bool FileDialog::ShowSave() { return Show(true); }

bool FileDialog::Show(bool save) {
    // Name, NUL, pattern, NUL ... and a second NUL at the end.
    std::wstring filter;
    for (const FilterEntry& entry : SplitFilter(filter_)) {
        filter += outside::W(entry.name) + L'\0';
        filter += outside::W(entry.pattern) + L'\0';
    }
    filter += L'\0';
    const std::wstring startFolder = outside::W(StartFolder(initDir_));
    const std::wstring defaultExt = outside::W(defaultExt_);
    std::vector<wchar_t> file(kFileBufferChars, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    // The program's current folder stays where it was.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST) | (!save && multiSelect_ ? OFN_ALLOWMULTISELECT : 0);

    const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!chosen) {
        const DWORD error = ::CommDlgExtendedError();
        if (error == 0) return false;  // cancelled
        throw outside::RuntimeError(outside::kErrInvalidCall,
                                    "Не удалось показать окно выбора файла (код " + std::to_string(error) + ")", kSource);
    }
    if (!save && multiSelect_) {
        // The folder, then each name, NUL after each, and a second NUL at the end.
        std::vector<std::string> parts;
        for (const wchar_t* part = file.data(); *part; part += wcslen(part) + 1) parts.push_back(outside::U8(part));
        fileNames_ = MultiSelectPaths(parts);
        for (std::string& name : fileNames_) name = AsOnDisk(name);
        fileName_ = fileNames_.empty() ? std::string() : fileNames_.front();
        return !fileNames_.empty();
    }
    std::string path = outside::U8(file.data());
    // An existing file keeps its own spelling; a new one gets the default
    // extension as given, whatever case the dialog added it in.
    const std::string onDisk = AsOnDisk(path);
    fileName_ = onDisk != path ? onDisk : (save ? WithDefaultExtensionCase(path, defaultExt_) : path);
    fileNames_ = {fileName_};
    return true;
}

}  // namespace support
