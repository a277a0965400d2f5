#include <cstdio>

#include "../MessageBoxes.h"

namespace outside {

int MsgBox(const std::string& text, int style) {
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) line += text[i];
    std::fprintf(stderr, "%s\n", line.c_str());
    // No one to ask: go on rather than block (Ignore for Abort/Retry/Ignore).
    return (style & 0x0F) == kMbAbortRetryIgnore ? kAnswerIgnore : kAnswerOk;
}

}  // namespace outside
