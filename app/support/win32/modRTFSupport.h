// The RichEdit panes of the chat window and the logs viewer: making one, and
// appending formatted text at its end, keeping a user who has scrolled back
// where he is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace modRTFSupport {

// Loads msftedit.dll once and creates a read-only RichEdit pane without a
// text limit.
HWND CreateRichEditPane(HWND parent, int id);

// The scroll state kept between BeginAppend and EndAppend.
struct AppendState {
    bool scrollKept = false;
    POINT scrollPos{};
};

void BeginAppend(HWND pane, AppendState& state);
void EndAppend(HWND pane, AppendState& state);
void MoveCaretToEnd(HWND pane);
// colour 0x00BBGGRR, size in points, alignment 0 left or 2 centre.
void AppendText(HWND pane, const std::string& text, int size, bool bold, int32_t colour, int alignment);
void AppendLine(HWND pane, const std::string& text, int size, bool bold, int32_t colour, int alignment);
void AppendSpacer(HWND pane);

// The pane's plain text (paragraphs end in CR, as RichEdit keeps them).
std::string PlainText(HWND pane);
// The whole pane as RTF.
std::string StreamOutRtf(HWND pane);
// Replaces the pane's content with an RTF document; false when RichEdit refused it.
bool StreamInRtf(HWND pane, std::string_view rtf);

}  // namespace modRTFSupport
