// The visible text of an RTF document, as a reader sees it: paragraphs end in
// CR (as a RichEdit keeps them), the tables of fonts and colours, pictures and
// other hidden groups are left out, \uN and \'xx (in the document's code page,
// 1252 unless \ansicpg1251 says otherwise) become their characters.
//
// Portable, no allocation beyond the output and the group stack, never
// throws for any input: a damaged document gives what could be read. It reads
// every file of the logs folder, whatever wrote it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace logsviewer {

// The text of a whole document.
std::u16string RtfPlainText(std::string_view rtf);

// The same, piece by piece, for a document too large to hold: the text of
// Read(a), Read(b), ..., Finish() is RtfPlainText(a + b + ...) however the
// bytes are cut.
class RtfTextReader {
public:
    // Appends the text of the next bytes to out. A control word cut off at
    // the end of the piece is finished by the next piece.
    void Read(std::string_view bytes, std::u16string& out);
    // The document ends: appends what a control word cut off by the end gives.
    void Finish(std::u16string& out);
    // The closing brace of the document was read: nothing after it counts.
    bool Ended() const { return ended_; }

private:
    struct State {
        bool hidden = false;
        bool destinationPending = false;  // the group's first word may name a destination
        int unicodeSkip = 1;              // \ucN
    };
    enum class Step : unsigned char { Text, Escape, Word, Digits, Hex };
    static constexpr size_t kWordMax = 32;

    void Emit(char16_t c);
    void Byte(unsigned char b);
    void Symbol(char c);
    void EndWord();
    bool UnicodeWord(const char*& p, const char* end);

    Step step_ = Step::Text;
    State state_;
    std::vector<State> stack_;
    size_t extraDepth_ = 0;  // groups opened beyond the deepest kept
    bool ended_ = false;
    int skip_ = 0;  // fallback characters of \u still to skip
    bool cp1251_ = false;
    // The control word being read.
    char word_[kWordMax] = {};
    size_t wordLength_ = 0;  // letters beyond kWordMax make the word unknown
    bool negative_ = false;
    bool hasParameter_ = false;
    long parameter_ = 0;
    int hexDigits_ = 0;
    unsigned hexValue_ = 0;
    char16_t* at_ = nullptr;  // where Emit writes, inside the caller's output
};

}  // namespace logsviewer
