// What a click on a link to a sent file does: open the file with its program,
// as Explorer does, or show it in its folder; a file the sync service has not
// brought yet is said so in a short box instead.
#pragma once

#include <windows.h>

#include <string>

#include "app/exchange/FileMessage.h"

namespace support {

// name is the file's name as the link shows it; the copy lies in the files
// folder of chatFolder. Boxes are owned by owner.
void OpenAttachment(HWND owner, const std::string& chatFolder, const std::string& name,
                    const exchange::FileReference& file);
void ShowAttachmentInFolder(HWND owner, const std::string& chatFolder, const std::string& name,
                            const exchange::FileReference& file);
// The link's menu at the mouse: "Открыть" and "Показать в папке".
void AttachmentMenu(HWND owner, const std::string& chatFolder, const std::string& name,
                    const exchange::FileReference& file);

// The box's text for a file that is not there, or not whole yet.
std::string NotArrivedText(const std::string& name);

}  // namespace support
