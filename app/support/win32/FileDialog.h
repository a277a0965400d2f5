// The file dialog object: a modal open or save-as dialog over the wide common
// dialogs, made afresh for each use. Set the properties, call ShowOpen or
// ShowSave, and read FileName when it returned true.
//
// The open dialog accepts only an existing file. The save dialog adds the
// default extension to a bare name and asks before replacing an existing
// file. An initial folder that is not an existing folder (a remembered one
// that has gone, or none) starts the dialog in the user's documents.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace support {

class FileDialog {
public:
    // "Name|Pattern|Name|Pattern", e.g. "Файлы чата|*.ZPMFChat|Все файлы|*.*".
    void SetFilter(const std::string& filter) { filter_ = filter; }
    // The family's numeric property; no value but 0 means anything here.
    void SetFlags(long flags) { flags_ = flags; }
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetInitDir(const std::string& folder) { initDir_ = folder; }
    // Without the dot; the save dialog adds it to a name typed without one.
    void SetDefaultExt(const std::string& extension) { defaultExt_ = extension; }
    // Lets the open dialog take several files at once.
    void SetMultiSelect(bool on) { multiSelect_ = on; }

    long Flags() const { return flags_; }
    // The chosen file's full path, once a Show call returned true.
    const std::string& FileName() const { return fileName_; }
    // Every file chosen, in the dialog's order (one unless SetMultiSelect).
    const std::vector<std::string>& FileNames() const { return fileNames_; }

    // True when the user chose a file, false when the dialog was cancelled.
    // Throws RuntimeError when the dialog cannot be shown.
    bool ShowOpen();
    bool ShowSave();

    // The folder a dialog starts in for a given initial folder.
    static std::string StartFolder(const std::string& initDir);
    static std::string DocumentsFolder();

private:
    bool Show(bool save);

    std::string filter_;
    long flags_ = 0;
    HWND owner_ = nullptr;
    std::string initDir_;
    std::string defaultExt_;
    std::string fileName_;
    bool multiSelect_ = false;
    std::vector<std::string> fileNames_;
};

}  // namespace support
