// Links to sent files in the RTF of the pane and of the log. RTF has no link
// that RichEdit keeps on both Windows and Wine (Wine drops a HYPERLINK field
// together with its text), so a link is its text between two markers that
// every RTF reader skips:
//
//   {\*\quilletlink TARGET}\ul NAME\ulnone{\*\quilletlinkend}
//
// Readers that know nothing of it show NAME underlined. Whoever puts such RTF
// into a RichEdit finds the links with LinkRanges and gives them link
// formatting itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace chatwindow {

inline constexpr std::string_view kRtfLinkOpen = "{\\*\\quilletlink ";  // the escaped target and "}" follow
inline constexpr std::string_view kRtfLinkClose = "\\ulnone{\\*\\quilletlinkend}";

struct LinkRange {
    size_t begin = 0, end = 0;  // UTF-16 positions in the text RichEdit holds for the RTF
    std::u16string text;        // what it shows
    std::string target;         // UTF-8
    friend bool operator==(const LinkRange&, const LinkRange&) = default;
};

// The links of an RTF document or fragment, in order. A marker without its
// end, or a target that cannot be read, gives no link.
std::vector<LinkRange> LinkRanges(std::string_view rtf);

}  // namespace chatwindow
