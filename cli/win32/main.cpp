#include <string>
#include <vector>

#include "../QuilletCli.h"
#include "outside/win32/Wide.h"

// The wide arguments: the narrow ones are in the ANSI code page, not UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(outside::U8(argv[i]));
    return cli::RunCli(args);
}
