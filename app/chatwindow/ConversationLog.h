// The conversation log: the whole pane saved as RTF into the chat's logs
// folder, one file per pane generation, named by the local time it began.
#pragma once

#include <functional>
#include <string>

#include "IConversationPane.h"
#include "outside/DateTime.h"

namespace chatwindow {

class ConversationLog {
public:
    explicit ConversationLog(IConversationPane& pane, std::function<outside::DateTimeRecord()> now = {});

    // True when there was nothing to save, the save worked, or the user chose to
    // ignore a failure; false when a silent save failed or the user aborted.
    bool SaveLog(bool silent, bool resetName);

    const std::string& CurrentLogPath() const { return currentLogPath_; }

    // "YYYY-MM-DD HH-MM-SS.RTF" and "YYYY-MM-DD HH-MM-SS mmm.RTF".
    static std::string LogFileName(const outside::DateTimeRecord& local, bool withMilliseconds);

private:
    std::string ChooseLogPath() const;

    IConversationPane& pane_;
    std::function<outside::DateTimeRecord()> now_;
    std::string currentLogPath_;
};

}  // namespace chatwindow
