// Logs made by the program's own log writer (one pane generation saved once), for the viewer's tests and benchmark.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/ConversationLog.h"
#include "app/settings/modSettings.h"
#include "outside/DateTime.h"
#include "outside/TextFile.h"
#include "support/RecordingPane.h"
#include "support/TimeRecord.h"

namespace testsupport {

// Saves lines, one paragraph each, as the log begun at local time began in folder; returns its full path.
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

// A log of at least bytes bytes: the paragraphs of filler over and over, then those of last; returns its full path.
inline std::string WriteBigLog(const std::string& folder, const outside::DateTimeRecord& began, size_t bytes,
                               const std::vector<std::string>& filler, const std::vector<std::string>& last = {}) {
    const auto bodyOf = [](const std::string& rtf) {
        const size_t start = rtf.find("\\pard");
        return rtf.substr(start, rtf.rfind('}') - start);
    };
    const std::string tail =
        last.empty() ? "" : bodyOf(outside::ReadFileBytes(WriteLog(folder, began, last), 1u << 20));
    const std::string path = WriteLog(folder, began, filler);
    const std::string rtf = outside::ReadFileBytes(path, 1u << 20);
    const std::string body = bodyOf(rtf);
    std::string big = rtf.substr(0, rtf.find("\\pard"));
    big.reserve(bytes + body.size() + tail.size() + 1);
    while (big.size() < bytes) big += body;
    outside::WriteFileAtomically(path, big + tail + "}");
    return path;
}

}  // namespace testsupport
