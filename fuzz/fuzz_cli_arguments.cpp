// quillet-cli's command line: any arguments are either refused as wrong usage
// or taken as a known command (or help, or the version) with the options it
// takes; and what was taken, written back as a plain command line, is taken
// the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <tuple>

#include "FuzzSupport.h"
#include "cli/Arguments.h"
#include "cli/QuilletCli.h"

namespace {

// Words the parser knows, so that the fuzzer meets them often.
const char* const kWords[] = {"send", "read", "follow", "check", "help", "--help", "-h", "--version", "--json",
                              "--xml", "--verbose", "-v", "--ack", "--new", "--others", "--name", "--name=Анна",
                              "--since", "--since=2h", "--color", "--color=never", "--color=auto", "--", "-",
                              "--json=1", "--file", "--file=отчёт.pdf", ""};

auto Fields(const cli::Arguments& a) {
    return std::tie(a.command, a.operands, a.help, a.version, a.json, a.xml, a.verbose, a.ack, a.newOnly, a.others,
                    a.color, a.name, a.since, a.file);
}

std::optional<cli::Arguments> Parse(const std::vector<std::string>& args) {
    try {
        return cli::ParseArguments(args);
    } catch (const cli::CliError& e) {
        fuzz::Require(e.ExitCode() == cli::kExitUsage, "a refusal that is not wrong usage");
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::string> args;
    while (in.remaining_bytes() > 0 && args.size() < 12)
        args.push_back(in.ConsumeBool() ? kWords[in.ConsumeIntegralInRange<size_t>(0, std::size(kWords) - 1)]
                                        : in.ConsumeRandomLengthString(20));
    const std::optional<cli::Arguments> taken = Parse(args);
    if (!taken) return 0;
    if (!taken->help && !taken->version)
        fuzz::Require(cli::UsageLine(taken->command) != cli::UsageLine(""), "an unknown command was taken");

    if (taken->command == "help") return 0;  // "help help": the overview, as "help" alone

    // Options first, then the command and its operands after "--".
    const std::pair<bool, const char*> flags[] = {
        {taken->help, "--help"}, {taken->version, "--version"}, {taken->json, "--json"}, {taken->xml, "--xml"},
        {taken->verbose, "--verbose"}, {taken->ack, "--ack"}, {taken->newOnly, "--new"}, {taken->others, "--others"}};
    std::vector<std::string> plain;
    for (const auto& [set, option] : flags)
        if (set) plain.push_back(option);
    if (taken->name) plain.insert(plain.end(), {"--name", *taken->name});
    if (taken->since) plain.insert(plain.end(), {"--since", *taken->since});
    if (taken->file) plain.insert(plain.end(), {"--file", *taken->file});
    if (taken->color != "auto") plain.push_back("--color=" + taken->color);
    plain.push_back("--");
    if (!taken->command.empty()) plain.push_back(taken->command);
    plain.insert(plain.end(), taken->operands.begin(), taken->operands.end());
    const std::optional<cli::Arguments> again = Parse(plain);
    fuzz::Require(again && Fields(*again) == Fields(*taken), "what was taken is not taken the same again");
    return 0;
}
