// The chat window's part in Quillet's folder pass, played by a terminal:
// messages go to standard output, as the pane shows them or as JSON; notices
// go to standard error; nothing is logged. The pass itself (which files, in
// which order, the ledger of shown messages, the files left for later) is the
// program's own, exchange::MessageDispatcher.
//
// The host also says which files the pass may take as done (hide, remember or
// delete): never a message that could not be printed or was not acknowledged,
// nor one the options leave out, so that a later run prints it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "Arguments.h"
#include "Printing.h"
#include "app/exchange/MessageDispatcher.h"

namespace cli {

// Thrown out of a pass (from PumpMessagesOnce) that must not go on: a stop
// request, or nobody takes the messages any more. The pass still removes
// what it has done before it lets this through.
struct PassStopped {};

class TerminalHost final : public exchange::IDispatchHost {
public:
    struct Options {
        bool json = false;
        std::string color = "auto";
        bool verbose = false;
        bool ack = false;              // wait for a line on standard input after each message
        bool others = false;           // leave out one's own messages
        std::optional<int64_t> since;  // leave out messages sent before (UTC, ms since 1970)
        bool changesFolder = true;     // false for read: its pass takes nothing as done
    };
    // What becomes of the messages of the next pass (follow --new).
    enum class Backlog {
        Print,
        TakeUnprinted,  // done without printing
        LeaveAlone,     // neither printed nor done
    };

    // chat: the open chat, kept while the host lives.
    TerminalHost(const Options& options, startup::ChatPtr chat);

    void SetBacklog(Backlog backlog) { backlog_ = backlog; }
    // Whether the pass may take the file at path as done.
    bool MayTake(const std::string& path) const { return kept_.count(BareName(path)) == 0; }
    // Called before each batch of read files is removed, in place of a log save.
    void OnBatch(std::function<void()> onBatch) { onBatch_ = std::move(onBatch); }
    bool OutputGone() const { return outputGone_; }
    bool AcknowledgementsEnded() const { return acksEnded_; }

    const startup::ClaimedChat& Chat() const override { return *chat_; }
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override;
    void DisplayMessageFrom(const std::string& clientGuid, const std::string& userName, const std::string& text,
                            outside::DateTimeRecord time, exchange::MessageKind kind,
                            const std::string& fileName) override;
    void ShowSystemMessage(const std::string& text) override;
    void ShowDebugMessage(const std::string& text) override;
    bool SaveLog(bool silent, bool resetName) override;
    void ClearConversation() override {}
    void SetCaption(const std::string&) override {}
    void PumpMessagesOnce() override;

private:
    static std::string BareName(const std::string& path);
    bool LeftOut(const DecodedFile& file) const;

    Options options_;
    startup::ChatPtr chat_;
    MessagePrinter printer_;
    Backlog backlog_ = Backlog::Print;
    std::set<std::string> kept_;  // names of files not to take as done
    std::function<void()> onBatch_;
    bool halted_ = false;  // nothing more is printed this run
    bool outputGone_ = false;
    bool acksEnded_ = false;
};

// The options of read and follow; throws CliError for a --since it cannot take.
TerminalHost::Options PrintOptionsOf(const Arguments& arguments, bool changesFolder);

}  // namespace cli
