#include <string>
#include <vector>

#include "../QuilletCli.h"

int main(int argc, char** argv) {
    // Arguments are UTF-8 on the systems this builds for.
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return cli::RunCli(args);
}
