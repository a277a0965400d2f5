#include "TerminalHost.h"

#include "Platform.h"
#include "TimeArgument.h"
#include "outside/Support.h"

namespace cli {

TerminalHost::TerminalHost(const Options& options, startup::ChatPtr chat)
    : options_(options), chat_(std::move(chat)), printer_(options.json, options.color, chat_->ChatFolder) {}

std::string TerminalHost::BareName(const std::string& path) { return outside::esGetFileName(path); }

bool TerminalHost::LeftOut(const DecodedFile& file) const {
    if (options_.others && file.kind == exchange::MessageKind::Mine) return true;
    return options_.since && UnixMilliseconds(file.time) < *options_.since;
}

void TerminalHost::DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                                  exchange::MessageKind kind, const std::string& fileName) {
    DisplayMessageFrom({}, userName, text, time, kind, fileName);
}

void TerminalHost::DisplayMessageFrom(const std::string& clientGuid, const std::string& userName,
                                      const std::string& text, outside::DateTimeRecord time,
                                      exchange::MessageKind kind, const std::string& fileName) {
    DecodedFile file;
    file.path = outside::esBuildFileName2(chat_->ChatFolder, fileName);
    file.result = exchange::DispatchResult::Processed;
    TakeMessage(file, clientGuid, userName, text, time, kind, fileName);

    if (backlog_ == Backlog::TakeUnprinted) return;
    if (halted_ || backlog_ == Backlog::LeaveAlone || LeftOut(file)) {
        kept_.insert(fileName);
        return;
    }
    if (!printer_.Print(file)) {
        halted_ = true;
        outputGone_ = !StopRequested();  // not a failure when a stop request ended a blocked write
        kept_.insert(fileName);
        return;
    }
    if (!options_.ack) return;
    const Acknowledgement answer = WaitForAcknowledgement();
    if (answer == Acknowledgement::Given) return;
    halted_ = true;
    acksEnded_ = answer == Acknowledgement::Ended;
    kept_.insert(fileName);
}

void TerminalHost::ShowSystemMessage(const std::string& text) {
    // The program ends every notice with the path concerned.
    const std::string unix = UnixLineBreaks(text);
    const std::string path = unix.substr(unix.rfind('\n') + 1);
    if (path == chat_->ChatFolder) {  // the chat folder has gone away, or is back
        ReportError("quillet-cli: " + path +
                    (IsFolder(path) ? ": the chat folder is back; messages are received again"
                                    : ": the chat folder is gone; messages will be received when it is back"));
        return;
    }
    ReportError("quillet-cli: " + path + ": broken message file, left out");
    if (options_.verbose) ReportError(unix);
}

void TerminalHost::ShowDebugMessage(const std::string& text) {
    // The pass of read removes nothing, whatever its notices about removing say.
    if (!options_.verbose || (!options_.changesFolder && text.rfind("DispatchAllMessages() ==> ", 0) == 0)) return;
    ReportError(UnixLineBreaks(text));
}

bool TerminalHost::SaveLog(bool, bool) {
    if (onBatch_) onBatch_();
    return true;
}

void TerminalHost::PumpMessagesOnce() {
    if (halted_ || StopRequested()) throw PassStopped{};
}

TerminalHost::Options PrintOptionsOf(const Arguments& arguments, bool changesFolder) {
    TerminalHost::Options options;
    options.json = arguments.json;
    options.color = arguments.color;
    options.verbose = arguments.verbose;
    options.ack = arguments.ack;
    options.others = arguments.others;
    if (arguments.since) options.since = ParseTimeArgument(*arguments.since, NowUnixMilliseconds());
    options.changesFolder = changesFolder;
    return options;
}

}  // namespace cli
