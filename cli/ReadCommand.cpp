// read: the messages waiting in the chat folder, oldest first, through one
// pass of the program's own; nothing in the folder changes.
#include "Chat.h"
#include "Commands.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "TerminalHost.h"
#include "app/settings/modSettings.h"

namespace cli {

int ReadCommand(const Arguments& arguments) {
    TerminalHost host(PrintOptionsOf(arguments, false), OpenChatOperand(arguments));
    LoadIdentity();
    modSettings::ReadGlobalSettings();  // how the pane lays out titles
    modSettings::ClearScrollbackOnOverflow = false;

    // No file is taken as done, and the ledger lives for this run only: it
    // keeps the copies a sync service made from printing a message twice.
    const auto takeNothing = [](const std::string&) { return false; };
    exchange::MessageDispatcher dispatcher(host, {takeNothing, takeNothing, {}});
    dispatcher.KeepLedgerIn({});
    try {
        dispatcher.DispatchAllMessages();
    } catch (const PassStopped&) {
    }
    return host.OutputGone() ? OutputFailed() : kExitOk;
}

}  // namespace cli
