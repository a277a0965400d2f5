#include "PaneLinks.h"

#include <richedit.h>

#include "AttachmentActions.h"
#include "app/chatwindow/FileLinks.h"
#include "outside/Utf.h"
#include "outside/win32/Wide.h"

namespace support {
namespace {

std::u16string TextRange(HWND pane, LONG begin, LONG end) {
    std::wstring buffer(static_cast<size_t>(end - begin) + 1, L'\0');
    TEXTRANGEW range{{begin, end}, buffer.data()};
    const LRESULT got = ::SendMessageW(pane, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    buffer.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return std::u16string(buffer.begin(), buffer.end());
}

}  // namespace

void PaneLinks::Enable(HWND pane) {
    const LRESULT mask = ::SendMessageW(pane, EM_GETEVENTMASK, 0, 0);
    ::SendMessageW(pane, EM_SETEVENTMASK, 0, mask | ENM_LINK);
}

LONG PaneLinks::TextLength(HWND pane) {
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<LONG>(::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
}

void PaneLinks::Mark(HWND pane, LONG start, std::string_view rtf) {
    if (rtf.find(chatwindow::kRtfLinkOpen) == std::string_view::npos) return;
    CHARRANGE selection{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    for (const chatwindow::LinkRange& range : chatwindow::LinkRanges(rtf)) {
        const std::optional<exchange::FileReference> file = exchange::ParseLinkTarget(range.target);
        const LONG begin = start + static_cast<LONG>(range.begin), end = start + static_cast<LONG>(range.end);
        if (!file || TextRange(pane, begin, end) != range.text) continue;
        CHARRANGE link{begin, end};
        ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&link));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        format.dwMask = CFM_LINK;
        format.dwEffects = CFE_LINK;
        ::SendMessageW(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        links_.push_back({begin, end, outside::Utf16ToUtf8(range.text), *file});
    }
    ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

const PaneLinks::Link* PaneLinks::At(LONG position) const {
    for (const Link& link : links_)
        if (position >= link.begin && position < link.end) return &link;
    return nullptr;
}

bool PaneLinks::HandleNotify(const NMHDR* header, const std::string& chatFolder, LRESULT& result) {
    if (header->code != EN_LINK) return false;
    const auto* notice = reinterpret_cast<const ENLINK*>(header);
    const Link* link = At(notice->chrg.cpMin);
    if (!link) return false;
    HWND owner = ::GetParent(header->hwndFrom);
    result = 1;  // the pane itself does nothing with the mouse over a link
    switch (notice->msg) {
        case WM_SETCURSOR:
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return true;
        case WM_LBUTTONUP:
            if (notice->wParam & MK_SHIFT)
                ShowAttachmentInFolder(owner, chatFolder, link->name, link->file);
            else
                OpenAttachment(owner, chatFolder, link->name, link->file);
            return true;
        case WM_RBUTTONUP:
            AttachmentMenu(owner, chatFolder, link->name, link->file);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
            return true;
        default:
            result = 0;
            return true;
    }
}

}  // namespace support
