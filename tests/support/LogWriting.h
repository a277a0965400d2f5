// Conversation logs made by the program's own log writer, for the logs
// viewer's tests and benchmark: each call is one pane generation saved once.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/ConversationLog.h"
#include "app/settings/modSettings.h"
#include "outside/DateTime.h"
#include "support/RecordingPane.h"

namespace testsupport {

// A local time of the form a log is named by.
inline outside::DateTimeRecord LocalTime(int year, int month, int day, int hour, int minute, int second,
                                         int milliseconds = 0) {
    outside::DateTimeRecord t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

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
