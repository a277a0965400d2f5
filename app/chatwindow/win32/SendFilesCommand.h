// Sending files from the chat window: dropped on it from Explorer, pasted
// (files on the clipboard), or chosen in the file dialog (Ctrl+O). Each file
// is one message (app/exchange/FileSending.h); what fails is told in the pane,
// and a file above the large-file size is sent only when the user says so.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/exchange/IMessageDisplay.h"
#include "app/startup/ClaimedChat.h"

namespace chatwindow {

// The window takes files dropped from Explorer (WM_DROPFILES), over its pane too.
void AcceptDroppedFiles(HWND window, HWND pane);
// The files of a drop, in its order.
std::vector<std::string> DroppedFiles(HDROP drop);
// Whether the clipboard holds files (CF_HDROP), and which.
bool ClipboardHasFiles();
std::vector<std::string> ClipboardFiles(HWND owner);
// The file dialog, several files allowed; none when cancelled.
std::vector<std::string> ChooseFilesToSend(HWND owner);

// Sends each file, in order, into the chat.
void SendFiles(const startup::ClaimedChat& chat, const std::vector<std::string>& paths,
               exchange::IMessageDisplay& display);

// The question before a large file is sent.
std::string LargeFileQuestion(const std::string& name, uint64_t size);

}  // namespace chatwindow
