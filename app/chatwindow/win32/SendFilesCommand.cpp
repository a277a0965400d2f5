#include "SendFilesCommand.h"

#include <ole2.h>

#include "app/exchange/FileSending.h"
#include "app/support/win32/FileDialog.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"

namespace chatwindow {
namespace {

std::vector<std::string> FilesOf(HDROP drop) {
    std::vector<std::string> files;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(static_cast<size_t>(length) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), length + 1));
        if (!path.empty()) files.push_back(outside::U8(path));
    }
    return files;
}

// The wait cursor while files are copied, the arrow again after.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

void AcceptDroppedFiles(HWND window, HWND pane) {
    ::DragAcceptFiles(window, TRUE);
    // A RichEdit registers itself as an OLE drop target, which a read-only
    // pane refuses: without it, a drop over the pane reaches the window.
    ::RevokeDragDrop(pane);
}

std::vector<std::string> DroppedFiles(HDROP drop) { return FilesOf(drop); }

bool ClipboardHasFiles() { return ::IsClipboardFormatAvailable(CF_HDROP) != FALSE; }

std::vector<std::string> ClipboardFiles(HWND owner) {
    std::vector<std::string> files;
    if (!::OpenClipboard(owner)) return files;
    if (HANDLE data = ::GetClipboardData(CF_HDROP)) files = FilesOf(static_cast<HDROP>(data));
    ::CloseClipboard();
    return files;
}

std::vector<std::string> ChooseFilesToSend(HWND owner) {
    support::FileDialog dialog;
    dialog.SetOwner(owner);
    dialog.SetFilter("Все файлы|*.*");
    dialog.SetMultiSelect(true);
    try {
        if (dialog.ShowOpen()) return dialog.FileNames();
    } catch (const outside::RuntimeError& e) {
        outside::TheErrorReport().ShowError(e, outside::kMbIconError, "Не удалось выбрать файл.");
    }
    return {};
}

std::string LargeFileQuestion(const std::string& name, uint64_t size) {
    return "Файл «" + name + "» большой: " + outside::asFormatByteSizeEx(size) + ".\r\n" +
           "Его копия ляжет в папку чата, и служба синхронизации повезёт её каждому участнику.\r\n\r\nОтправить?";
}

void SendFiles(const startup::ClaimedChat& chat, const std::vector<std::string>& paths,
               exchange::IMessageDisplay& display) {
    const auto confirm = [](const std::string& name, uint64_t size) {
        return outside::MsgBox(LargeFileQuestion(name, size), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    };
    for (const std::string& path : paths) {
        WaitCursor wait;
        exchange::SendFileMessage(chat, path, "", display, confirm);
    }
}

}  // namespace chatwindow
