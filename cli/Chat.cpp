#include "Chat.h"

#include <cctype>

#include "Platform.h"
#include "QuilletCli.h"
#include "app/exchange/MessageFiles.h"
#include "outside/Folder.h"
#include "outside/Sorter.h"
#include "outside/Support.h"

namespace cli {
namespace {

bool SameText(std::string a, std::string b) {
    for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return a == b;
}

[[noreturn]] void NoChat(const std::string& argument, const std::string& problem) {
    throw CliError(kExitNoChat, "quillet-cli: " + argument + ": " + problem);
}

}  // namespace

startup::ChatPtr OpenChat(const std::string& argument) {
    const std::string chatExtension = exchange::kChatFileExtension;
    std::string chatFile;
    if (IsFolder(argument)) {
        if (const std::string problem = FolderListingProblem(argument); !problem.empty()) NoChat(argument, problem);
        std::vector<std::string> names = outside::ListPlainFiles(argument, chatExtension);
        outside::Sorter().Sort(names);
        if (names.empty()) NoChat(argument, "not a chat folder: there is no chat file (*." + chatExtension + ") in it");
        if (names.size() > 1) {
            std::string list;
            for (const std::string& name : names) list += "\n  " + name;
            NoChat(argument, "this folder holds several chat files; name one of them:" + list);
        }
        chatFile = outside::esBuildFileName2(argument, names.front());
    } else if (outside::esIsFileExist(argument)) {
        if (!SameText(outside::esGetFileExtension(argument), chatExtension))
            NoChat(argument, "not a chat file (the name of a chat file ends in ." + chatExtension + ")");
        chatFile = argument;
    } else {
        NoChat(argument, "no such chat file or folder");
    }
    const std::string full = outside::esGetFullFileName(chatFile, true);
    if (full.empty()) NoChat(argument, "the full path of the chat file cannot be formed");
    // An unreadable folder lists as empty: say why rather than "no chat file" or nothing.
    if (const std::string problem = FolderListingProblem(outside::esGetFilePath(full)); !problem.empty())
        NoChat(outside::esGetFilePath(full), problem);
    return std::make_shared<const startup::ClaimedChat>(full, outside::esGetFilePath(full));
}

startup::ChatPtr OpenChatOperand(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        throw CliError(kExitUsage, "quillet-cli " + arguments.command + ": " +
                                       (arguments.operands.empty() ? "no chat given" : "one chat at a time") + "\n" +
                                       UsageLine(arguments.command));
    return OpenChat(arguments.operands[0]);
}

}  // namespace cli
