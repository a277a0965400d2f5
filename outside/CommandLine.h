// The command-line argument object: the arguments after the program path, split
// by the conventional Windows rules (blanks separate, double quotes group,
// backslashes escape quotes only before a quote).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace outside {

class CommandLineArgs {
public:
    // Reads the process's own command line (without the program path).
    static CommandLineArgs FromProcess();
    // Splits a command-line text; withProgram says whether its first word is the program path.
    static CommandLineArgs Parse(std::string_view text, bool withProgram);
    explicit CommandLineArgs(std::vector<std::string> args = {}) : args_(std::move(args)) {}

    int Count() const { return static_cast<int>(args_.size()); }
    const std::string& Item(int index) const;

private:
    std::vector<std::string> args_;
};

// The conventional Windows splitting (as CommandLineToArgvW does it).
std::vector<std::string> SplitCommandLine(std::string_view text, bool firstIsProgram);

// On POSIX the process arguments come from main(); Windows reads its own.
void SetProcessArguments(std::vector<std::string> argsAfterProgram);

}  // namespace outside
