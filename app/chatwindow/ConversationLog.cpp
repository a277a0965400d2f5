#include "ConversationLog.h"

#include <cstdio>

#include "RtfRuns.h"
#include "app/settings/modSettings.h"
#include "app/support/modCreateComplexDirectory.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace chatwindow {
namespace {

// The end of every log: the mark of the pane's last, empty paragraph (a
// whole-pane save of a RichEdit writes it too, and readers take it as the
// document's final mark), then the closing brace. Each save writes over it.
constexpr std::string_view kTrailer = "\\par\n}";

}  // namespace

ConversationLog::ConversationLog(IConversationPane& pane, std::function<outside::DateTimeRecord()> now,
                                 std::function<std::vector<int32_t>()> palette)
    : pane_(pane), now_(std::move(now)), palette_(std::move(palette)) {
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

void ConversationLog::StartGeneration() {
    currentLogPath_.clear();
    colours_.clear();
    body_.clear();
    fileSize_ = 0;
}

void ConversationLog::Write() {
    std::vector<int32_t> colours = colours_;
    if (fileSize_ == 0 && palette_) colours = palette_();
    const bool newColour = AddRunColours(unsaved_, colours);
    const std::string addition = RtfBody(unsaved_, colours);
    bool written = false;
    if (fileSize_ >= kTrailer.size() && !newColour) {
        try {
            // Over the trailer: the new paragraphs and the trailer again.
            outside::OverwriteFileTail(currentLogPath_, fileSize_, fileSize_ - kTrailer.size(),
                                       addition + std::string(kTrailer));
            fileSize_ += addition.size();
            written = true;
        } catch (const outside::RuntimeError& e) {
            if (e.Number() != outside::kErrFileChanged) throw;
        }
    }
    if (!written) {
        try {
            modCreateComplexDirectory::CreateComplexDirectory(outside::esGetFilePath(currentLogPath_), false);
        } catch (const outside::RuntimeError&) {
            // The write below reports it.
        }
        const std::string whole = RtfHeader(kPaneFont, colours) + body_ + addition + std::string(kTrailer);
        outside::WriteFileAtomically(currentLogPath_, whole, true);
        fileSize_ = whole.size();
    }
    colours_ = std::move(colours);
    body_ += addition;
    unsaved_.clear();
}

bool ConversationLog::SaveLog(bool silent, bool resetName) {
    for (TextRun& run : pane_.TakeUnloggedRuns()) unsaved_.push_back(std::move(run));
    if (!unsaved_.empty()) {
        if (currentLogPath_.empty()) {
            StartGeneration();
            try {
                currentLogPath_ = ChooseLogPath();
            } catch (const outside::RuntimeError&) {
                // Naming failed half way; the save below reports the path problem.
            }
        }
        for (;;) {
            try {
                Write();
                lastError_.clear();
                break;
            } catch (const outside::RuntimeError& e) {
                lastError_ = outside::TheErrorReport().DescribeError(e);
                if (silent) return false;
                const int answer = outside::TheErrorReport().ShowError(
                    e, outside::kMbAbortRetryIgnore | outside::kMbIconError,
                    currentLogPath_ + "\r\n\r\n" + "Не удалось сохранить лог.");
                if (answer == outside::kAnswerAbort) return false;
                if (answer == outside::kAnswerRetry) continue;
                unsaved_.clear();  // Ignore: go on as if saved
                break;
            }
        }
    }
    if (resetName) StartGeneration();
    return true;
}

}  // namespace chatwindow
