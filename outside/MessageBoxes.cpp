#include "MessageBoxes.h"

#include "Support.h"

namespace outside {

std::string ErrorReport::DescribeError(const RuntimeError& error) const {
    return "Ошибка " + asGetErrorNumber(error.Number()) + ": " + error.Description();
}

int ErrorReport::ShowError(const RuntimeError& error, int style, const std::string& leadText) const {
    return MsgBox(leadText + "\r\n\r\n" + DescribeError(error), style);
}

ErrorReport& TheErrorReport() {
    static ErrorReport report;
    return report;
}

}  // namespace outside
