#include <signal.h>

#include <string>
#include <vector>

#include "../QuilletCli.h"

int main(int argc, char** argv) {
    // Arguments are UTF-8 on the systems this builds for.
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = cli::RunCli(args);
    if (status == cli::kExitInterrupted) {
        // Everything is saved: end as Ctrl+C ends a program, so that the shell
        // running us knows it was pressed (and a script's loop stops too).
        ::signal(SIGINT, SIG_DFL);
        ::raise(SIGINT);
    }
    return status;
}
