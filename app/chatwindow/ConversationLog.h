// The conversation log: what the pane shows, kept as RTF in the chat's logs
// folder, one file per pane generation, named by the local time it began.
//
// A save costs what was shown since the last one, not the conversation: the
// file ends in a short trailer (a final paragraph mark and the closing brace),
// and each save writes the new paragraphs over it with the trailer after
// them, in one write that is flushed to the disk. So the file is a whole RTF document at every moment
// and holds every line up to the last save that returned true. A new file, a
// colour its table lacks, or a file changed by someone else makes the whole
// generation be written anew (to a temporary file renamed into place).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "IConversationPane.h"
#include "outside/DateTime.h"

namespace chatwindow {

class ConversationLog {
public:
    // palette: the colours every new file's table starts with, so that lines
    // of the usual colours never need the whole file rewritten.
    explicit ConversationLog(IConversationPane& pane, std::function<outside::DateTimeRecord()> now = {},
                             std::function<std::vector<int32_t>()> palette = {});

    // True when there was nothing to save, the save worked, or the user chose to
    // ignore a failure; false when a silent save failed or the user aborted.
    bool SaveLog(bool silent, bool resetName);

    const std::string& CurrentLogPath() const { return currentLogPath_; }
    // Why the last save failed; empty once a save succeeds.
    const std::string& LastError() const { return lastError_; }

    // "YYYY-MM-DD HH-MM-SS.RTF" and "YYYY-MM-DD HH-MM-SS mmm.RTF".
    static std::string LogFileName(const outside::DateTimeRecord& local, bool withMilliseconds);

private:
    std::string ChooseLogPath() const;
    void StartGeneration();
    // Puts unsaved_ into the file; throws RuntimeError and then changes nothing.
    void Write();

    IConversationPane& pane_;
    std::function<outside::DateTimeRecord()> now_;
    std::function<std::vector<int32_t>()> palette_;
    std::string currentLogPath_;
    std::string lastError_;
    // The generation as the file holds it: colour table, paragraphs, size in bytes.
    std::vector<int32_t> colours_;
    std::string body_;
    uint64_t fileSize_ = 0;
    // Taken from the pane, not yet in the file.
    std::vector<TextRun> unsaved_;
};

}  // namespace chatwindow
