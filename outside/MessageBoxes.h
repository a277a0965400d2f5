// Message boxes and the error-report object. Styles and answers are the
// standard message-box numbers.
#pragma once

#include <string>

#include "RuntimeError.h"

namespace outside {

enum MessageBoxStyle : int {
    kMbOk = 0,
    kMbAbortRetryIgnore = 2,
    kMbIconError = 16,
    kMbIconWarning = 48,
    kMbIconInformation = 64,
};
enum MessageBoxAnswer : int { kAnswerOk = 1, kAnswerAbort = 3, kAnswerRetry = 4, kAnswerIgnore = 5 };

// Modal message box over the window the user is in (owned by it, which it
// disables), or task-modal when no window of the program is active; on POSIX
// the text goes to standard error and the first button is the answer.
int MsgBox(const std::string& text, int style);

class ErrorReport {
public:
    // The lead text, a blank line, then "Ошибка " + number + ": " + description.
    int ShowError(const RuntimeError& error, int style, const std::string& leadText) const;
    std::string DescribeError(const RuntimeError& error) const;
};

ErrorReport& TheErrorReport();

}  // namespace outside
