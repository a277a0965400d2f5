#include "Arguments.h"

#include <algorithm>

#include "QuilletCli.h"

namespace cli {
namespace {

struct CommandInfo {
    const char* name;
    const char* usage;
    std::vector<std::string> options;  // besides --help
    std::string help;
};

// The options of the commands that print messages, as their help lists them.
constexpr const char* kPrintOptions =
    "  --json          one JSON object a line: time (UTC, ISO 8601), user, text,\n"
    "                  client (the sender's GUID, or null), own, format, file;\n"
    "                  a sent file's message adds attachment: name, size, path,\n"
    "                  arrived\n"
    "  --since TIME    leave out messages sent before TIME: 2026-12-07T08:30 or\n"
    "                  2026-12-07 (local time), 2026-12-07T05:30Z or ...+03:00,\n"
    "                  or an age: 90s, 15m, 2h, 7d\n"
    "  --others        leave out your own messages\n"
    "  --color[=WHEN]  colour the titles: auto (the default: on a terminal, unless\n"
    "                  NO_COLOR is set), always (also --color alone), or never\n"
    "  -v, --verbose   also report on standard error Quillet's own notices: files\n"
    "                  left for later, copies left out, why a file is broken\n";

const std::vector<CommandInfo>& Commands() {
    static const std::vector<CommandInfo> commands = {
        {"send",
         "quillet-cli send [--xml] [--name NAME] CHAT [--] [TEXT... | -]\n"
         "       quillet-cli send --file PATH [--xml] [--name NAME] CHAT [--] [TEXT... | -]",
         {"--xml", "--name", "--file"},
         "Writes one message file into the chat folder, as Quillet does when you press\n"
         "Enter, and prints the path of the file written. The text is the TEXT\n"
         "arguments joined with blanks or, when there are none or the only one is \"-\",\n"
         "standard input (UTF-8, up to 4 MiB, the largest message Quillet reads). Put\n"
         "\"--\" before a text that begins with \"-\". Line breaks become CR LF, line\n"
         "breaks at either end are dropped, and a text of nothing but blanks and line\n"
         "breaks is not sent. The message carries this client's GUID (made on first use\n"
         "and kept in the settings) and the user name stored for the chat (\"Nicks\" in\n"
         "the settings; until one is stored, the account's full name); a blank name is\n"
         "\"Анонимус\".\n"
         "\n"
         "\n"
         "With --file, PATH is copied into the chat folder's files folder (\"Файлы\")\n"
         "and the message names it, with TEXT (optional here) under the name; the sync\n"
         "service carries the copy, and Quillet shows the name as a link that opens it.\n"
         "\n"
         "  --xml        write an XML message (.ZXMF) instead of a binary one (.ZPMF)\n"
         "  --name NAME  send under NAME instead of the name stored for the chat\n"
         "  --file PATH  send the file PATH (of any size: quillet-cli does not ask)\n"},
        {"read",
         "quillet-cli read [--json] [--since TIME] [--others] [--color[=WHEN]]\n"
         "                        [--verbose] CHAT",
         {"--json", "--since", "--others", "--color", "--verbose"},
         "Prints the messages waiting in the chat folder in sending order, as Quillet's\n"
         "conversation pane shows them: a title line with the name and the local time,\n"
         "then the text. Your own messages are marked with \"*\". A message is printed\n"
         "once, however many copies of its file a synchronisation service has made.\n"
         "Nothing in the folder is changed. Broken files are reported on standard error\n"
         "and skipped.\n"
         "\n" + std::string(kPrintOptions)},
        {"follow",
         "quillet-cli follow [--json] [--ack] [--new] [--since TIME] [--others]\n"
         "                          [--color[=WHEN]] [--verbose] CHAT",
         {"--json", "--ack", "--new", "--since", "--others", "--color", "--verbose"},
         "Prints the waiting messages, then every new message as it lands, until\n"
         "Ctrl+C or SIGTERM. On Linux and macOS follow remembers what it has printed in\n"
         "small files of its own for the chat ($XDG_STATE_HOME/greyfen-works/quillet-cli);\n"
         "on Windows it hides the files it has printed, as Quillet does. It deletes\n"
         "files only when \"Delete Message Files\" is on for the chat. Like Quillet, it\n"
         "refuses a chat folder that another client on this machine is following.\n"
         "\n"
         "What it promises: each message is printed once, across runs too, and the\n"
         "copies a synchronisation service makes of its file print nothing. Without\n"
         "--ack a message counts as printed once it is written to standard output, so\n"
         "lines still in a pipe when the reader ends (follow | head -1) are not printed\n"
         "again; one that could not be written at all is printed by the next run. With\n"
         "--ack nothing is lost: after each message follow waits for a line on standard\n"
         "input, and a message counts as printed only once that line has come; one not\n"
         "acknowledged is printed again by the next run. After a crash or kill -9 the\n"
         "last few messages may be printed again, in either mode.\n"
         "\n"
         "  --ack           wait for one line on standard input after each message\n"
         "                  (handle the message, then write the line); follow ends\n"
         "                  when standard input does\n"
         "  --new           on the first start for this chat, skip the messages\n"
         "                  already waiting (later starts print what came meanwhile);\n"
         "                  on Windows, on every start, leaving them to Quillet\n" +
             std::string(kPrintOptions) +
             "\n"
             "Messages left out by --since or --others stay for a run without them.\n"},
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

// The value of an option that needs one: after "=", or the next argument.
std::string ValueOf(const std::vector<std::string>& args, size_t& i, size_t eq, const std::string& command) {
    const std::string& arg = args[i];
    if (eq != std::string::npos) return arg.substr(eq + 1);
    if (i + 1 < args.size()) return args[++i];
    Usage(command, "quillet-cli: " + arg + " needs a value");
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
           "  send --file PATH CHAT    send a file: a copy in the chat folder, a message naming it\n"
           "  read CHAT                print the messages waiting in the chat folder\n"
           "  follow CHAT              print messages as they arrive, until Ctrl+C\n"
           "  check FILE...            decode message files and tell what is wrong with them\n"
           "\n"
           "CHAT is a chat file (*.ZPMFChat) or the folder that holds one. \"--\" ends the\n"
           "options: what follows is an operand even when it begins with \"-\"\n"
           "(quillet-cli send CHAT -- -1 from me).\n"
           "\"quillet-cli COMMAND --help\" tells more; \"quillet-cli --version\" the version.\n"
           "\n"
           "Exit status: 0 done, 1 failed, 2 wrong usage, 3 no chat,\n"
           "4 broken files (check), 5 chat folder in use (follow),\n"
           "130 ended by Ctrl+C (follow).\n";
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
        const bool takesValue = option == "--name" || option == "--since" || option == "--color" || option == "--file";
        if (eq != std::string::npos && !takesValue) Usage(parsed.command, "quillet-cli: " + option + " takes no value");
        if (option == "--help") {
            parsed.help = true;
        } else if (option == "--version") {
            parsed.version = true;
        } else if (option == "--json") {
            parsed.json = true;
        } else if (option == "--xml") {
            parsed.xml = true;
        } else if (option == "--verbose") {
            parsed.verbose = true;
        } else if (option == "--ack") {
            parsed.ack = true;
        } else if (option == "--new") {
            parsed.newOnly = true;
        } else if (option == "--others") {
            parsed.others = true;
        } else if (option == "--name") {
            parsed.name = ValueOf(args, i, eq, parsed.command);
        } else if (option == "--file") {
            parsed.file = ValueOf(args, i, eq, parsed.command);
        } else if (option == "--since") {
            parsed.since = ValueOf(args, i, eq, parsed.command);
        } else if (option == "--color") {
            // GNU style: the value only after "=", so that "--color CHAT" stays an operand.
            parsed.color = eq == std::string::npos ? "always" : arg.substr(eq + 1);
            if (parsed.color != "auto" && parsed.color != "always" && parsed.color != "never")
                Usage(parsed.command, "quillet-cli: --color takes auto, always or never, not \"" + parsed.color + "\"");
        } else {
            const std::string hint = parsed.command == "send" && !parsed.operands.empty()
                                         ? " (a text that begins with \"-\" goes after \"--\")"
                                         : std::string();
            Usage(parsed.command, "quillet-cli: unknown option " + arg + hint);
        }
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
