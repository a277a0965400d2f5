// read: the messages waiting in the chat folder, oldest first; nothing changes.
#include "Chat.h"
#include "Commands.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "app/settings/modSettings.h"
#include "app/startup/modMain.h"

namespace cli {

int ReadCommand(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        throw CliError(kExitUsage, std::string("quillet-cli read: ") +
                                       (arguments.operands.empty() ? "no chat given" : "one chat at a time") + "\n" +
                                       UsageLine("read"));
    OpenChat(arguments.operands[0]);
    LoadIdentity();
    modSettings::ReadGlobalSettings();  // how the pane lays out titles

    MessagePrinter printer(arguments.json);
    for (const std::string& path : ListWaitingFiles(modMain::ChatFolder)) {
        const DecodedFile file = ReadWaitingFile(path, modSettings::ClientGuid);
        ReportNotices(file, arguments.verbose);
        if (file.result == exchange::DispatchResult::Processed && file.hasMessage && !printer.Print(file))
            return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
