#include "LogSearch.h"

#include <array>
#include <cctype>
#include <cstdint>

#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

namespace logsviewer {
namespace {

// Logs are bounded by the pane's overflow rule; this only keeps a stray huge
// file from taking the memory.
constexpr uint64_t kMaxLogBytes = 256u * 1024u * 1024u;

const std::array<char16_t, 128>& Cp1251High() {
    static const std::array<char16_t, 128> table = [] {
        std::array<char16_t, 128> t{};
        for (int b = 0; b < 128; ++b) {
            const std::u16string one = outside::Utf8ToUtf16(outside::Cp1251ToUtf8(std::string(1, char(0x80 + b))));
            t[b] = one.empty() ? u'?' : one[0];
        }
        return t;
    }();
    return table;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Groups whose text is not shown.
bool IsHiddenDestination(std::string_view word) {
    static constexpr std::string_view kHidden[] = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "footer", "headerl", "headerr",
        "footerl", "footerr", "footnote", "themedata", "colorschememapping", "latentstyles", "datastore",
        "xmlnstbl", "listtable", "listoverridetable", "rsidtbl", "generator", "filetbl", "revtbl", "pgdsctbl",
        "fldinst", "bkmkstart", "bkmkend", "field_unused"};
    for (std::string_view hidden : kHidden)
        if (word == hidden) return true;
    return false;
}

class RtfTextReader {
public:
    explicit RtfTextReader(std::string_view rtf) : rtf_(rtf) {}

    std::u16string Read() {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_];
            if (c == '{') {
                ++pos_;
                stack_.push_back(state_);
                state_.destinationPending = true;
            } else if (c == '}') {
                ++pos_;
                if (stack_.empty()) break;  // a brace that closes nothing
                state_ = stack_.back();
                stack_.pop_back();
                if (stack_.empty()) break;  // the document's own group: nothing after it is shown
            } else if (c == '\\') {
                ++pos_;
                ControlSequence();
            } else if (c == '\r' || c == '\n') {
                ++pos_;
            } else {
                ++pos_;
                Byte(static_cast<unsigned char>(c));
            }
        }
        return out_;
    }

private:
    struct State {
        bool hidden = false;
        bool destinationPending = false;  // the group's first word may name a destination
        int unicodeSkip = 1;              // \ucN
    };

    void Emit(char16_t c) {
        state_.destinationPending = false;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (!state_.hidden) out_ += c;
    }
    void Byte(unsigned char b) {
        if (b < 0x80) {
            Emit(static_cast<char16_t>(b));
        } else if (codePage_ == 1251) {
            Emit(Cp1251High()[b - 0x80]);
        } else {
            Emit(static_cast<char16_t>(b));
        }
    }

    void ControlSequence() {
        if (pos_ >= rtf_.size()) return;
        const char c = rtf_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            switch (c) {
                case '\\': case '{': case '}': Emit(static_cast<char16_t>(c)); break;
                case '~': Emit(u'\u00A0'); break;
                case '_': Emit(u'\u2011'); break;
                case '*': state_.hidden = true; break;
                case '\r': case '\n': Emit(u'\r'); break;
                case '\'': {
                    unsigned value = 0;
                    int digits = 0;
                    while (digits < 2 && pos_ < rtf_.size() && std::isxdigit(static_cast<unsigned char>(rtf_[pos_]))) {
                        const char h = rtf_[pos_++];
                        value = value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                        ++digits;
                    }
                    if (digits) Byte(static_cast<unsigned char>(value));
                    break;
                }
                default: break;  // \- and other symbols show nothing
            }
            return;
        }
        const size_t start = pos_;
        while (pos_ < rtf_.size() && IsLetter(rtf_[pos_]) && pos_ - start < 32) ++pos_;
        const std::string_view word = rtf_.substr(start, pos_ - start);
        bool hasParameter = false;
        long parameter = 0;
        bool negative = false;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_]))) {
            if (parameter < 10000000) parameter = parameter * 10 + (rtf_[pos_] - '0');
            hasParameter = true;
            ++pos_;
        }
        if (negative) parameter = -parameter;
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;
        Word(word, hasParameter, parameter);
    }

    void Word(std::string_view word, bool hasParameter, long parameter) {
        const bool first = state_.destinationPending;
        state_.destinationPending = false;
        if (first && IsHiddenDestination(word)) {
            state_.hidden = true;
            return;
        }
        if (word == "u" && hasParameter) {
            Emit(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter));
            skip_ = state_.unicodeSkip;
            return;
        }
        if (word == "uc" && hasParameter) {
            state_.unicodeSkip = parameter < 0 ? 0 : static_cast<int>(parameter);
            return;
        }
        if (word == "ansicpg" && hasParameter) {
            codePage_ = parameter;
            return;
        }
        if (word == "par" || word == "line" || word == "sect" || word == "page") return Emit(u'\r');
        if (word == "tab") return Emit(u'\t');
        if (word == "emdash") return Emit(u'\u2014');
        if (word == "endash") return Emit(u'\u2013');
        if (word == "bullet") return Emit(u'\u2022');
        if (word == "lquote") return Emit(u'\u2018');
        if (word == "rquote") return Emit(u'\u2019');
        if (word == "ldblquote") return Emit(u'\u201C');
        if (word == "rdblquote") return Emit(u'\u201D');
        // A control word stands for one character where \u's fallback is skipped.
        if (skip_ > 0) --skip_;
    }

    std::string_view rtf_;
    size_t pos_ = 0;
    State state_;
    std::vector<State> stack_;
    std::u16string out_;
    int skip_ = 0;
    long codePage_ = 1252;
};

}  // namespace

char16_t FoldForSearch(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0x80) return c;
    if (c == 0x00A0) return u' ';
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);  // А-Я
    if (c == 0x0401 || c == 0x0451) return 0x0435;                           // Ё, ё as е
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);  // Ѐ-Џ
    return c;
}

std::u16string FoldForSearch(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) c = FoldForSearch(c);
    return folded;
}

std::vector<size_t> FindHits(std::u16string_view text, std::u16string_view needle) {
    std::vector<size_t> hits;
    if (needle.empty()) return hits;
    for (size_t at = text.find(needle); at != std::u16string_view::npos; at = text.find(needle, at + needle.size()))
        hits.push_back(at);
    return hits;
}

std::u16string RtfPlainText(std::string_view rtf) {
    try {
        return RtfTextReader(rtf).Read();
    } catch (...) {
        return {};
    }
}

int CountHitsInLog(const std::string& path, std::u16string_view foldedNeedle) {
    std::string bytes;
    try {
        bytes = outside::ReadFileBytes(path, kMaxLogBytes);
    } catch (const outside::RuntimeError&) {
        return 0;
    }
    return static_cast<int>(FindHits(FoldForSearch(RtfPlainText(bytes)), foldedNeedle).size());
}

std::vector<LogHits> SearchLogs(const std::string& folder, const std::vector<std::string>& names,
                                const std::string& needle, const std::function<bool()>& cancelled,
                                const std::function<void(size_t, size_t)>& progress) {
    std::vector<LogHits> found;
    const std::u16string folded = FoldForSearch(outside::Utf8ToUtf16(needle));
    if (folded.empty()) return found;
    for (size_t i = 0; i < names.size(); ++i) {
        if (cancelled && cancelled()) break;
        const int hits = CountHitsInLog(outside::esBuildFileName2(folder, names[i]), folded);
        if (hits > 0) found.push_back({names[i], hits});
        if (progress) progress(i + 1, names.size());
    }
    return found;
}

}  // namespace logsviewer
