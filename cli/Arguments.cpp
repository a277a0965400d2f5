#include "Arguments.h"

#include <algorithm>

#include "QuilletCli.h"

namespace cli {
namespace {

struct CommandInfo {
    const char* name;
    const char* usage;
    std::vector<std::string> options;  // besides --help
    const char* help;
};

const std::vector<CommandInfo>& Commands() {
    static const std::vector<CommandInfo> commands = {
        {"send", "quillet-cli send [--xml] [--name NAME] CHAT [TEXT... | -]", {"--xml", "--name"},
         "Writes one message file into the chat folder, as Quillet does when you press\n"
         "Enter, and prints the path of the file written. The text is the TEXT\n"
         "arguments joined with blanks or, when there are none or the only one is \"-\",\n"
         "standard input (UTF-8). Line breaks become CR LF, line breaks at either end\n"
         "are dropped, and a text of nothing but blanks and line breaks is not sent.\n"
         "The message carries this client's GUID (made on first use and kept in the\n"
         "settings) and the user name stored for the chat (\"Nicks\" in the settings;\n"
         "until one is stored, the account's full name); a blank name is \"Анонимус\".\n"
         "\n"
         "  --xml        write an XML message (.ZXMF) instead of a binary one (.ZPMF)\n"
         "  --name NAME  send under NAME instead of the name stored for the chat\n"},
        {"read", "quillet-cli read [--json] [--verbose] CHAT", {"--json", "--verbose"},
         "Prints the messages waiting in the chat folder in sending order, as Quillet's\n"
         "conversation pane shows them: a title line with the name and the local time,\n"
         "then the text. Your own messages are marked with \"*\". Nothing in the folder\n"
         "is changed. Broken files are reported on standard error and skipped.\n"
         "\n"
         "  --json     one JSON object a line: time (UTC, ISO 8601), user, text,\n"
         "             client (the sender's GUID, or null), own, format, file\n"
         "  --verbose  also report on standard error the files left for later\n"},
        {"follow", "quillet-cli follow [--json] [--verbose] CHAT", {"--json", "--verbose"},
         "Prints the waiting messages, then every new message as it lands, until\n"
         "Ctrl+C. Each message is printed once: on Linux and macOS follow remembers\n"
         "what it has printed in a small state file of its own for the chat\n"
         "($XDG_STATE_HOME/greyfen-works/quillet-cli); on Windows it hides the files it\n"
         "has printed, as Quillet does. It deletes files only when \"Delete Message\n"
         "Files\" is on for the chat. Like Quillet, it refuses a chat folder that\n"
         "another client on this machine is following.\n"
         "\n"
         "  --json     one JSON object a line, as read --json prints them\n"
         "  --verbose  also report on standard error the files left for later\n"},
        {"check", "quillet-cli check [--json] FILE...", {"--json"},
         "Decodes message files (.ZPMF, .ZXMF, .ZTMF) with Quillet's readers and prints,\n"
         "for each, the result (Processed, Broken or Retry), the kind (Mine or Other),\n"
         "the fields, and the notice Quillet would show. Exit status 4 when any file\n"
         "is not Processed.\n"
         "\n"
         "  --json  one JSON object a file, with result and notices\n"},
    };
    return commands;
}

const CommandInfo* Find(const std::string& command) {
    for (const CommandInfo& info : Commands())
        if (command == info.name) return &info;
    return nullptr;
}

[[noreturn]] void Usage(const std::string& command, const std::string& problem) {
    const std::string usage = Find(command) ? UsageLine(command) : "Usage: quillet-cli COMMAND [OPTIONS] ...";
    throw CliError(kExitUsage, problem + "\n" + usage + "\nTry \"quillet-cli " +
                                   (Find(command) ? command + " " : std::string()) + "--help\".");
}

}  // namespace

std::string UsageLine(const std::string& command) {
    const CommandInfo* info = Find(command);
    return info ? std::string("Usage: ") + info->usage : "Usage: quillet-cli COMMAND [OPTIONS] ...";
}

std::string HelpText(const std::string& command) {
    if (const CommandInfo* info = Find(command)) return UsageLine(command) + "\n\n" + info->help;
    return "Usage: quillet-cli COMMAND [OPTIONS] ...\n"
           "\n"
           "Takes part in a Quillet chat from a terminal: the chat folder that a\n"
           "synchronisation service keeps in step, one small file a message.\n"
           "\n"
           "Commands:\n"
           "  send CHAT [TEXT... | -]  write one message into the chat folder\n"
           "  read CHAT                print the messages waiting in the chat folder\n"
           "  follow CHAT              print messages as they arrive, until Ctrl+C\n"
           "  check FILE...            decode message files and tell what is wrong with them\n"
           "\n"
           "CHAT is a chat file (*.ZPMFChat) or the folder that holds one.\n"
           "\"quillet-cli COMMAND --help\" tells more; \"quillet-cli --version\" the version.\n"
           "\n"
           "Exit status: 0 done, 1 failed, 2 wrong usage, 3 no chat,\n"
           "4 broken files (check), 5 chat folder in use (follow).\n";
}

Arguments ParseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    std::vector<std::string> options;  // as given, to check against the command
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (parsed.command.empty())
                parsed.command = arg;
            else
                parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t eq = arg.find('=');
        std::string option = arg.substr(0, eq);
        if (option == "-h") option = "--help";
        if (option == "-v") option = "--verbose";
        if (option == "--name") {
            if (eq != std::string::npos)
                parsed.name = arg.substr(eq + 1);
            else if (i + 1 < args.size())
                parsed.name = args[++i];
            else
                Usage(parsed.command, "quillet-cli: --name needs a value");
        } else if (eq != std::string::npos) {
            Usage(parsed.command, "quillet-cli: " + option + " takes no value");
        }
        if (option == "--help")
            parsed.help = true;
        else if (option == "--version")
            parsed.version = true;
        else if (option == "--json")
            parsed.json = true;
        else if (option == "--xml")
            parsed.xml = true;
        else if (option == "--verbose")
            parsed.verbose = true;
        else if (option != "--name")
            Usage(parsed.command, "quillet-cli: unknown option " + arg);
        options.push_back(option);
    }

    if (parsed.command == "help") {  // "help COMMAND" is "COMMAND --help"
        parsed.command = parsed.operands.empty() ? std::string() : parsed.operands.front();
        parsed.operands.clear();
        parsed.help = true;
    }
    if (parsed.help || parsed.version) return parsed;
    if (parsed.command.empty()) Usage("", "quillet-cli: no command given");
    const CommandInfo* info = Find(parsed.command);
    if (!info) Usage("", "quillet-cli: unknown command \"" + parsed.command + "\"");
    for (const std::string& option : options)
        if (std::find(info->options.begin(), info->options.end(), option) == info->options.end())
            Usage(parsed.command, "quillet-cli " + parsed.command + ": unknown option " + option);
    return parsed;
}

}  // namespace cli
