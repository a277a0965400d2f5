// Conversation logs made by the program's own log writer, for the logs
// viewer's tests and benchmark: each call is one pane generation saved once.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/ConversationLog.h"
#include "app/settings/modSettings.h"
#include "outside/DateTime.h"
#include "support/RecordingPane.h"
#include "support/TimeRecord.h"

namespace testsupport {

// Saves lines (one paragraph each) as the log begun at local time began, in
// the logs folder folder; returns the log's full path.
inline std::string WriteLog(const std::string& folder, const outside::DateTimeRecord& began,
                            const std::vector<std::string>& lines) {
    const std::string savedFolder = modSettings::LogsFolder;
    modSettings::LogsFolder = folder;
    RecordingPane pane;
    chatwindow::ConversationLog log(pane, [began] { return began; });
    for (const std::string& line : lines) chatwindow::AppendLine(pane, line, 9, false, 0x000000, 0);
    log.SaveLog(true, false);
    const std::string path = log.CurrentLogPath();
    modSettings::LogsFolder = savedFolder;
    return path;
}

}  // namespace testsupport
