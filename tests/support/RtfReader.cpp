#include "RtfReader.h"

#include <algorithm>
#include <stdexcept>

#include "app/logsviewer/RtfPlainText.h"
#include "outside/Utf.h"

namespace testsupport {

std::vector<chatwindow::TextRun> ReadRtfRuns(const std::string& rtf) {
    // The viewer's reader takes whatever it can; a whole document is checked here.
    if (rtf.compare(0, 6, "{\\rtf1") != 0) throw std::runtime_error("not RTF");
    size_t end = std::string::npos;
    int depth = 0;
    for (size_t i = 0; i < rtf.size() && end == std::string::npos; ++i) {
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth == 0)
            end = i;
    }
    if (end == std::string::npos) throw std::runtime_error("unbalanced braces");
    if (rtf.find_first_not_of("\r\n", end + 1) != std::string::npos) throw std::runtime_error("text after the end");
    std::vector<chatwindow::TextRun> runs;
    const std::string text = outside::Utf16ToUtf8(logsviewer::RtfPlainText(rtf));
    for (size_t from = 0; from < text.size();) {
        const size_t cr = std::min(text.find('\r', from), text.size());
        runs.push_back({text.substr(from, cr - from), 0, false, 0, 0});
        from = cr + 1;
    }
    return runs;
}

}  // namespace testsupport
