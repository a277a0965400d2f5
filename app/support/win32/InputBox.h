// The program's own input box: a prompt, a one-line answer proposed with a
// default, OK and Cancel. Modal over its owner.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace support {

// The answer as typed, or nullopt when the box was cancelled (Cancel, Esc,
// its close box). An empty title gives the program's title.
std::optional<std::string> InputBox(HWND owner, const std::string& prompt, const std::string& defaultAnswer,
                                    const std::string& title = {});

// Control ids inside the box, for those who drive it.
inline constexpr int kInputBoxPromptId = 0xFFFF;  // as a message box has its text
inline constexpr int kInputBoxAnswerId = 101;

}  // namespace support
