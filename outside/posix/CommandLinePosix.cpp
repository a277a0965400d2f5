#include "../CommandLine.h"

namespace outside {
namespace {
std::vector<std::string>& ProcessArguments() {
    static std::vector<std::string> args;
    return args;
}
}  // namespace

void SetProcessArguments(std::vector<std::string> argsAfterProgram) { ProcessArguments() = std::move(argsAfterProgram); }

CommandLineArgs CommandLineArgs::FromProcess() { return CommandLineArgs(ProcessArguments()); }

}  // namespace outside
