#include <cstdio>

#include "../MessageBoxes.h"

namespace outside {

int MsgBox(const std::string& text, int style) {
    std::string line = text;
    for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, "\n");
    std::fprintf(stderr, "%s\n", line.c_str());
    // No one to ask: go on rather than block (Ignore for Abort/Retry/Ignore).
    return (style & 0x0F) == kMbAbortRetryIgnore ? kAnswerIgnore : kAnswerOk;
}

}  // namespace outside
