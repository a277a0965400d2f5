// quillet-cli installed as people install tools: "cmake --install" into a
// prefix of its own, then the program, its man page and its completions from
// there, and every option its help names in each of them.
#include <regex>

#include "CliFixture.h"

namespace clitest {

TEST(CliInstallTest, InstallsTheProgramItsManPageAndCompletions) {
    testsupport::TempDir prefix;
    const CliResult install = RunShell(Quoted(QUILLET_CMAKE) + " --install " + Quoted(QUILLET_BUILD_DIR) +
                                       " --prefix " + Quoted(prefix.path()) + " --component quillet-cli");
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;

    const CliResult version = RunShell(Quoted(prefix / "bin/quillet-cli") + " --version");
    EXPECT_EQ(version.out.rfind("quillet-cli 1.", 0), 0u) << version.out << version.err;

    // As man shows it, with groff's warnings on.
    const std::string page = prefix / "share/man/man1/quillet-cli.1";
    const CliResult man = RunShell("MANWIDTH=100 man --warnings -l " + Quoted(page) + " | col -b");
    EXPECT_EQ(man.exitCode, 0);
    EXPECT_EQ(man.err, "");
    EXPECT_NE(man.out.find("quillet-cli - take part in a Quillet chat from a terminal"), std::string::npos) << man.out;

    // bash, as a shell that loads it finds it: the function answers a half-typed option.
    const std::string bashFile = prefix / "share/bash-completion/completions/quillet-cli";
    const CliResult bash = RunShell("bash -c 'source \"$0\"; complete -p quillet-cli; COMP_WORDS=(quillet-cli follow --a); "
                                    "COMP_CWORD=2; _quillet_cli; echo \"${COMPREPLY[*]}\"' " + Quoted(bashFile));
    EXPECT_EQ(bash.out, "complete -F _quillet_cli quillet-cli\n--ack\n") << bash.err;

    // Every option of every command's help is in the page and in each completion.
    const std::string zsh = testsupport::ReadRaw(prefix / "share/zsh/site-functions/_quillet-cli");
    const std::string fish = testsupport::ReadRaw(prefix / "share/fish/vendor_completions.d/quillet-cli.fish");
    const std::string bashText = testsupport::ReadRaw(bashFile);
    const std::regex option("--([a-z]+)");
    for (const char* command : {"send", "read", "follow", "check"}) {
        const std::string help = RunCli({command, "--help"}).out;
        for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) {
            const std::string name = (*it)[1];
            SCOPED_TRACE(std::string(command) + " --" + name);
            EXPECT_NE(man.out.find("--" + name), std::string::npos);
            EXPECT_NE(bashText.find("--" + name), std::string::npos);
            EXPECT_NE(zsh.find("--" + name), std::string::npos);
            EXPECT_NE(fish.find("-l " + name), std::string::npos);
        }
    }
}

}  // namespace clitest
