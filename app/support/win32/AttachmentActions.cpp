#include "AttachmentActions.h"

#include <memory>
#include <type_traits>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/exchange/FileSending.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"

namespace support {
namespace {

enum MenuCommand : UINT { kOpen = 1, kShowInFolder = 2 };

// True when the copy is there to be opened; otherwise the user is told.
bool Arrived(const std::string& chatFolder, const std::string& name, const exchange::FileReference& file,
             bool wholeNeeded) {
    const exchange::AttachmentState state = exchange::StateOfAttachment(chatFolder, file);
    if (state == exchange::AttachmentState::Arrived || (!wholeNeeded && state == exchange::AttachmentState::Arriving))
        return true;
    outside::MsgBox(NotArrivedText(name), outside::kMbIconInformation);
    return false;
}

// A program or a script runs at a click; the user decides, knowing that.
bool MayOpen(const std::string& name, const std::string& path) {
    // Windows' own answer knows the types registered since; Wine's is always no.
    const std::wstring extension = L"." + outside::W(outside::esGetFileExtension(path));
    if (!exchange::IsRunnableFileName(path) && !::AssocIsDangerous(extension.c_str())) return true;
    const std::string text = "«" + name + "» — программа или сценарий. Открывайте его, только если доверяете " +
                             "отправителю.\r\n\r\nОткрыть?";
    return outside::MsgBox(text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

std::string NotArrivedText(const std::string& name) {
    return "Файла «" + name + "» пока нет в папке чата: служба синхронизации его ещё не доставила " +
           "(или его оттуда удалили). Попробуйте чуть позже.";
}

void OpenAttachment(HWND owner, const std::string& chatFolder, const std::string& name,
                    const exchange::FileReference& file) {
    if (!Arrived(chatFolder, name, file, true)) return;
    const std::string path = exchange::AttachmentPath(chatFolder, file.storedName);
    if (!MayOpen(name, path)) return;
    const std::wstring widePath = outside::W(path);
    const std::wstring folder = outside::W(outside::esGetFilePath(path));
    SHELLEXECUTEINFOW how{};
    how.cbSize = sizeof how;
    how.hwnd = owner;
    how.lpFile = widePath.c_str();
    how.lpDirectory = folder.c_str();
    how.nShow = SW_SHOWNORMAL;
    // No verb: the file's default action, as a double-click in Explorer.
    if (::ShellExecuteExW(&how)) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_CANCELLED) return;  // the shell asked the user, who said no
    outside::MsgBox("Не удалось открыть файл «" + name + "».\r\n" +
                        outside::TheErrorReport().DescribeError(outside::Win32Error(error, path)),
                    outside::kMbIconError);
}

void ShowAttachmentInFolder(HWND owner, const std::string& chatFolder, const std::string& name,
                            const exchange::FileReference& file) {
    if (!Arrived(chatFolder, name, file, false)) return;
    const std::wstring path = outside::W(exchange::AttachmentPath(chatFolder, file.storedName));
    if (PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(path.c_str())) {
        const HRESULT shown = ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ::ILFree(item);
        if (SUCCEEDED(shown)) return;
    }
    const std::wstring arguments = L"/select,\"" + path + L"\"";
    ::ShellExecuteW(owner, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

void AttachmentMenu(HWND owner, const std::string& chatFolder, const std::string& name,
                    const exchange::FileReference& file) {
    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&::DestroyMenu)> menu(::CreatePopupMenu(),
                                                                                      &::DestroyMenu);
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kOpen, outside::W("Открыть").c_str());
    ::AppendMenuW(menu.get(), MF_STRING, kShowInFolder, outside::W("Показать в папке").c_str());
    ::SetMenuDefaultItem(menu.get(), kOpen, FALSE);
    POINT at{};
    ::GetCursorPos(&at);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    if (chosen == kOpen) OpenAttachment(owner, chatFolder, name, file);
    if (chosen == kShowInFolder) ShowAttachmentInFolder(owner, chatFolder, name, file);
}

}  // namespace support
