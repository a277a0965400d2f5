// Links to sent files in a RichEdit: the chat window's pane and the logs
// viewer's. RTF that carries them (app/chatwindow/FileLinks.h) is put in as usual; Mark
// then gives each link's text the link formatting (CFE_LINK) and remembers
// where it lies and which file it names. The pane is only ever appended to or
// cleared, so the positions hold until Clear.
//
// A click opens the file, Shift+click shows it in its folder, a right click
// offers both (AttachmentActions.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/exchange/FileMessage.h"

namespace support {

class PaneLinks {
public:
    // Asks the pane for link notifications (EN_LINK, to its parent).
    static void Enable(HWND pane);
    // The pane's text length as character positions count it (a paragraph mark is one).
    static LONG TextLength(HWND pane);

    // rtf was just put into pane at position start (0 for a whole document).
    // A link whose text is not where the RTF says stays plain text.
    void Mark(HWND pane, LONG start, std::string_view rtf);
    void Clear() { links_.clear(); }
    size_t Count() const { return links_.size(); }

    // A WM_NOTIFY from the pane: true when it was about a link, with the
    // window procedure's result. The files lie in chatFolder's files folder.
    bool HandleNotify(const NMHDR* header, const std::string& chatFolder, LRESULT& result);

private:
    struct Link {
        LONG begin, end;
        std::string name;  // as shown
        exchange::FileReference file;
    };
    const Link* At(LONG position) const;

    std::vector<Link> links_;
};

}  // namespace support
