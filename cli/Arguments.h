// The command line of quillet-cli: a command, its options and its operands,
// and the help text of each command.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct Arguments {
    std::string command;  // empty when none was given
    std::vector<std::string> operands;
    bool help = false;
    bool version = false;
    bool json = false;
    bool xml = false;
    bool verbose = false;
    bool ack = false;
    bool newOnly = false;
    bool others = false;
    std::string color = "auto";  // auto, always or never
    std::optional<std::string> name;
    std::optional<std::string> file;  // send --file: the file to send
    std::optional<std::string> since;
};

// Throws CliError(kExitUsage) for an unknown command or an option the command does not take.
Arguments ParseArguments(const std::vector<std::string>& args);

// The help of one command, or the overview for an empty or unknown command.
std::string HelpText(const std::string& command);
// "Usage: ..." of one command, for error messages.
std::string UsageLine(const std::string& command);

}  // namespace cli
