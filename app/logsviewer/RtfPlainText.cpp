#include "RtfPlainText.h"

#include <array>

#include "outside/Utf.h"

namespace logsviewer {
namespace {

// Deeper nesting than this is followed by count alone: a document of nothing
// but braces must not take memory in proportion to its size.
constexpr size_t kMaxDepth = 4096;

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

// Windows-1252 differs from Latin-1 only in 0x80-0x9F (the euro sign, typographic
// quotes, dashes...); the five bytes it leaves undefined stay themselves.
char16_t Cp1252(unsigned char b) {
    static constexpr char16_t kHigh[32] = {
        u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
        u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char16_t>(b);
}

bool IsLetter(char c) { return static_cast<unsigned char>((c | 0x20) - 'a') < 26; }
bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    const char lower = static_cast<char>(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

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

// Control words that stand for one character.
char16_t CharacterWord(std::string_view word) {
    static constexpr struct {
        std::string_view word;
        char16_t c;
    } kWords[] = {{"par", u'\r'},         {"line", u'\r'},       {"sect", u'\r'},        {"page", u'\r'},
                  {"tab", u'\t'},         {"emdash", u'\u2014'}, {"endash", u'\u2013'},  {"bullet", u'\u2022'},
                  {"lquote", u'\u2018'},  {"rquote", u'\u2019'}, {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}};
    for (const auto& w : kWords)
        if (word == w.word) return w.c;
    return 0;
}

}  // namespace

void RtfTextReader::Emit(char16_t c) {
    state_.destinationPending = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (!state_.hidden) *at_++ = c;
}

void RtfTextReader::Byte(unsigned char b) {
    if (b < 0x80)
        Emit(static_cast<char16_t>(b));
    else
        Emit(cp1251_ ? Cp1251High()[b - 0x80] : Cp1252(b));
}

void RtfTextReader::Symbol(char c) {
    switch (c) {
        case '\\': case '{': case '}': Emit(static_cast<char16_t>(c)); break;
        case '~': Emit(u'\u00A0'); break;
        case '_': Emit(u'\u2011'); break;
        case '*': state_.hidden = true; break;
        case '\r': case '\n': Emit(u'\r'); break;
        default: break;  // \- and other symbols show nothing
    }
}

void RtfTextReader::EndWord() {
    const bool first = state_.destinationPending;
    state_.destinationPending = false;
    const long parameter = negative_ ? -parameter_ : parameter_;
    // A control word stands for one character where \u's fallback is skipped.
    if (wordLength_ > kWordMax) {
        if (skip_ > 0) --skip_;
        return;
    }
    const std::string_view word(word_, wordLength_);
    if (word == "u" && hasParameter_) {
        Emit(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter));
        skip_ = state_.unicodeSkip;
        return;
    }
    if (first && IsHiddenDestination(word)) {
        state_.hidden = true;
        return;
    }
    if (word == "uc" && hasParameter_) {
        state_.unicodeSkip = parameter < 0 ? 0 : static_cast<int>(parameter);
        return;
    }
    if (word == "ansicpg" && hasParameter_) {
        cp1251_ = parameter == 1251;
        return;
    }
    if (const char16_t c = CharacterWord(word)) return Emit(c);
    if (skip_ > 0) --skip_;
}

bool RtfTextReader::UnicodeWord(const char*& p, const char* end) {
    // \uN, most of a Cyrillic log, read at once when the piece holds it whole;
    // the same as the general way through the word, only faster.
    const char* q = p;
    const bool negative = q < end && *q == '-';
    if (negative) ++q;
    const char* const digits = q;
    long value = 0;
    for (; q < end && IsDigit(*q); ++q)
        if (value < 10000000) value = value * 10 + (*q - '0');
    if (q == digits || q == end) return false;
    if (*q == ' ') ++q;
    p = q;
    if (negative) value = -value;
    step_ = Step::Text;
    Emit(static_cast<char16_t>(value < 0 ? value + 65536 : value));
    skip_ = state_.unicodeSkip;
    return true;
}

void RtfTextReader::Read(std::string_view bytes, std::u16string& out) {
    // Each byte gives at most one character, and a control word carried over
    // from the last piece one more.
    const size_t before = out.size();
    out.resize(before + bytes.size() + 1);
    at_ = out.data() + before;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end && !ended_) {
        switch (step_) {
            case Step::Text:
                while (p < end) {
                    const char c = *p++;
                    if (static_cast<unsigned char>(c - 0x20) < 0x5F && c != '\\' && c != '{' && c != '}' &&
                        skip_ == 0 && !state_.hidden) {
                        // Plain text, most of a Latin log: straight through.
                        state_.destinationPending = false;
                        *at_++ = static_cast<char16_t>(c);
                        continue;
                    }
                    if (c == '\\') {
                        if (p < end && *p == 'u') {
                            const char* word = p + 1;
                            if (UnicodeWord(word, end)) {
                                p = word;
                                continue;
                            }
                        }
                        step_ = Step::Escape;
                        break;
                    }
                    if (c == '{') {
                        if (stack_.size() < kMaxDepth)
                            stack_.push_back(state_);
                        else
                            ++extraDepth_;
                        state_.destinationPending = true;
                    } else if (c == '}') {
                        if (extraDepth_ > 0) {
                            --extraDepth_;
                        } else if (stack_.empty()) {
                            ended_ = true;  // a brace that closes nothing
                            break;
                        } else {
                            state_ = stack_.back();
                            stack_.pop_back();
                            if (stack_.empty()) {
                                ended_ = true;  // the document's own group: nothing after it is shown
                                break;
                            }
                        }
                    } else if (c != '\r' && c != '\n') {
                        Byte(static_cast<unsigned char>(c));
                    }
                }
                break;
            case Step::Escape: {
                const char c = *p++;
                if (IsLetter(c)) {
                    word_[0] = c;
                    wordLength_ = 1;
                    negative_ = hasParameter_ = false;
                    parameter_ = 0;
                    step_ = Step::Word;
                } else if (c == '\'') {
                    hexDigits_ = 0;
                    hexValue_ = 0;
                    step_ = Step::Hex;
                } else {
                    step_ = Step::Text;
                    Symbol(c);
                }
                break;
            }
            case Step::Word:
                for (; p < end && IsLetter(*p); ++p) {
                    if (wordLength_ < kWordMax) word_[wordLength_] = *p;
                    ++wordLength_;
                }
                if (p == end) break;
                if (*p == '-') {
                    negative_ = true;
                    ++p;
                }
                step_ = Step::Digits;
                break;
            case Step::Digits:
                for (; p < end && IsDigit(*p); ++p) {
                    if (parameter_ < 10000000) parameter_ = parameter_ * 10 + (*p - '0');
                    hasParameter_ = true;
                }
                if (p == end) break;
                if (*p == ' ') ++p;  // the delimiter belongs to the word
                step_ = Step::Text;
                EndWord();
                break;
            case Step::Hex:
                for (int digit; hexDigits_ < 2 && p < end && (digit = HexValue(*p)) >= 0; ++p) {
                    hexValue_ = hexValue_ * 16 + static_cast<unsigned>(digit);
                    ++hexDigits_;
                }
                if (hexDigits_ < 2 && p == end) break;
                step_ = Step::Text;
                if (hexDigits_ > 0) Byte(static_cast<unsigned char>(hexValue_));
                break;
        }
    }
    out.resize(static_cast<size_t>(at_ - out.data()));
    at_ = nullptr;
}

void RtfTextReader::Finish(std::u16string& out) {
    const size_t before = out.size();
    out.resize(before + 1);
    at_ = out.data() + before;
    if (step_ == Step::Word || step_ == Step::Digits)
        EndWord();
    else if (step_ == Step::Hex && hexDigits_ > 0)
        Byte(static_cast<unsigned char>(hexValue_));
    step_ = Step::Text;
    out.resize(static_cast<size_t>(at_ - out.data()));
    at_ = nullptr;
}

std::u16string RtfPlainText(std::string_view rtf) {
    try {
        RtfTextReader reader;
        std::u16string out;
        reader.Read(rtf, out);
        reader.Finish(out);
        return out;
    } catch (...) {
        return {};  // out of memory
    }
}

}  // namespace logsviewer
