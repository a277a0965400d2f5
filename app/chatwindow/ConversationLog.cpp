#include "ConversationLog.h"

#include <cstdio>

#include "app/settings/modSettings.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"

namespace chatwindow {

ConversationLog::ConversationLog(IConversationPane& pane, std::function<outside::DateTimeRecord()> now)
    : pane_(pane), now_(std::move(now)) {
    if (!now_) now_ = [] { return outside::esGetLocalTime(); };
}

std::string ConversationLog::LogFileName(const outside::DateTimeRecord& t, bool withMilliseconds) {
    char name[64];
    if (withMilliseconds)
        std::snprintf(name, sizeof name, "%04u-%02u-%02u %02u-%02u-%02u %03u.RTF", t.year, t.month, t.day, t.hour,
                      t.minute, t.second, t.milliseconds % 1000);
    else
        std::snprintf(name, sizeof name, "%04u-%02u-%02u %02u-%02u-%02u.RTF", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    return name;
}

std::string ConversationLog::ChooseLogPath() const {
    const std::string& folder = modSettings::LogsFolder;
    try {
        modCreateComplexDirectory::CreateComplexDirectory(folder, false);
    } catch (const outside::RuntimeError&) {
        // The save itself will report what is wrong with the folder.
    }
    outside::DateTimeRecord t = now_();
    std::string path = outside::esBuildFileName2(folder, LogFileName(t, false));
    if (!outside::esIsFileExist(path)) return path;
    // Taken: the milliseconds form, and never a name that already holds a log.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        path = outside::esBuildFileName2(folder, LogFileName(t, true));
        if (!outside::esIsFileExist(path)) return path;
        t.milliseconds = static_cast<uint16_t>((t.milliseconds + 1) % 1000);
    }
    return outside::esBuildFileName2(folder, LogFileName(t, false).substr(0, 19) + " " + outside::esGetNewGUID() + ".RTF");
}

bool ConversationLog::SaveLog(bool silent, bool resetName) {
    if (pane_.IsEmpty()) return true;
    if (currentLogPath_.empty()) {
        try {
            currentLogPath_ = ChooseLogPath();
        } catch (const outside::RuntimeError&) {
            // Naming failed half way; the save below reports the path problem.
        }
    }
    for (;;) {
        try {
            pane_.SaveRtf(currentLogPath_);
            break;
        } catch (const outside::RuntimeError& e) {
            if (silent) return false;
            const int answer = outside::TheErrorReport().ShowError(
                e, outside::kMbAbortRetryIgnore | outside::kMbIconError,
                currentLogPath_ + "\r\n\r\n" + "Не удалось сохранить лог.");
            if (answer == outside::kAnswerAbort) return false;
            if (answer == outside::kAnswerRetry) continue;
            break;  // Ignore: go on as if saved
        }
    }
    if (resetName) currentLogPath_.clear();
    return true;
}

}  // namespace chatwindow
