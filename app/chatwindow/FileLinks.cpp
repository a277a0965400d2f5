#include "FileLinks.h"

#include <cstdlib>

#include "app/logsviewer/RtfPlainText.h"
#include "outside/Utf.h"

namespace chatwindow {
namespace {

// The target: text up to the group's closing brace, with the escapes RTF
// writers use for it (\\, \{, \}, \uN and its fallback character).
bool ReadTarget(std::string_view rtf, size_t& at, std::u16string& target) {
    while (at < rtf.size()) {
        const char c = rtf[at++];
        if (c == '}') return true;
        if (c == '{') return false;
        if (c == '\r' || c == '\n') continue;
        if (c != '\\') {
            target += static_cast<char16_t>(static_cast<unsigned char>(c));
            continue;
        }
        if (at >= rtf.size()) return false;
        const char next = rtf[at];
        if (next == '\\' || next == '{' || next == '}') {
            target += static_cast<char16_t>(next);
            ++at;
            continue;
        }
        if (next != 'u') return false;
        const char* begin = rtf.data() + at + 1;
        char* end = nullptr;
        const long value = std::strtol(begin, &end, 10);
        if (end == begin || value < -32768 || value > 65535) return false;
        target += static_cast<char16_t>(value < 0 ? value + 65536 : value);
        at = static_cast<size_t>(end - rtf.data());
        if (at < rtf.size() && rtf[at] == ' ') ++at;
        if (at < rtf.size() && rtf[at] != '\\' && rtf[at] != '}' && rtf[at] != '{') ++at;  // the fallback
    }
    return false;
}

}  // namespace

std::vector<LinkRange> LinkRanges(std::string_view rtf) {
    std::vector<LinkRange> links;
    size_t textLength = 0;  // of what was read so far
    size_t counted = 0;     // bytes of rtf counted into textLength
    // The text between markers is counted piece by piece: the markers sit
    // between runs, outside any group, so each piece reads as it does in the whole.
    const auto countTo = [&](size_t at) {
        textLength += logsviewer::RtfPlainText(rtf.substr(counted, at - counted)).size();
        counted = at;
    };
    for (size_t open = rtf.find(kRtfLinkOpen); open != std::string_view::npos; open = rtf.find(kRtfLinkOpen, open + 1)) {
        size_t at = open + kRtfLinkOpen.size();
        std::u16string target;
        if (!ReadTarget(rtf, at, target)) continue;
        const size_t close = rtf.find(kRtfLinkClose, at);
        if (close == std::string_view::npos) break;
        countTo(open);
        LinkRange link;
        link.begin = textLength;
        link.text = logsviewer::RtfPlainText(rtf.substr(at, close - at));
        link.target = outside::Utf16ToUtf8(target);
        textLength += link.text.size();
        link.end = textLength;
        counted = close + kRtfLinkClose.size();
        open = close;
        if (!link.text.empty() && !link.target.empty()) links.push_back(std::move(link));
    }
    return links;
}

}  // namespace chatwindow
