// The run-time error a call throws, for tests that check its number and text.
#pragma once

#include "outside/RuntimeError.h"

namespace testsupport {

// Runs call; the error it threw, or number 0 with "no error" when it threw none.
template <typename Call>
outside::RuntimeError ErrorOf(Call&& call) {
    try {
        call();
    } catch (const outside::RuntimeError& e) {
        return e;
    }
    return outside::RuntimeError(0, "no error");
}

// True when text begins with start.
inline bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace testsupport
