#include "RtfReader.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "outside/Utf.h"

namespace testsupport {
namespace {

using chatwindow::TextRun;

// Runs being built: UTF-16 text until the end, so that surrogate pairs
// written as two \u words come together.
struct Builder {
    struct Run {
        std::u16string text;
        int size;
        bool bold;
        int32_t colour;
        int alignment;
    };
    std::vector<Run> out;
    size_t paragraphStart = 0;

    void Text(std::u16string_view text, int size, bool bold, int32_t colour) {
        if (out.size() > paragraphStart && out.back().size == size && out.back().bold == bold &&
            out.back().colour == colour)
            out.back().text += text;
        else
            out.push_back({std::u16string(text), size, bold, colour, 0});
    }
    void EndParagraph(int alignment, int size, bool bold, int32_t colour) {
        Text(u"\r\n", size, bold, colour);
        Align(alignment);
        paragraphStart = out.size();
    }
    void Align(int alignment) {
        for (size_t i = paragraphStart; i < out.size(); ++i) out[i].alignment = alignment;
    }
    std::vector<TextRun> Runs() const {
        std::vector<TextRun> runs;
        for (const Run& r : out) runs.push_back({outside::Utf16ToUtf8(r.text), r.size, r.bold, r.colour, r.alignment});
        return runs;
    }
};

struct Reader {
    explicit Reader(const std::string& text) : rtf(text) {}
    const std::string& rtf;
    size_t at = 0;
    std::vector<int32_t> colours;
    Builder out;
    int alignment = 0;
    int size = 12;
    bool bold = false;
    int colour = 0;
    std::u16string pending;

    int32_t Rgb() const { return colour > 0 && colour <= static_cast<int>(colours.size()) ? colours[colour - 1] : 0; }
    void Text(std::u16string_view text) { out.Text(text, size, bold, Rgb()); }
    void EndParagraph() { out.EndParagraph(alignment, size, bold, Rgb()); }

    void ColourTable(size_t end) {
        int red = 0, green = 0, blue = 0;
        for (size_t i = at; i < end;) {
            if (rtf[i] == ';') {
                if (i > at && rtf.compare(i - 1, 2, " ;") != 0) colours.push_back(red | (green << 8) | (blue << 16));
                red = green = blue = 0;
                ++i;
            } else if (rtf[i] == '\\') {
                size_t j = i + 1;
                while (j < end && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
                const std::string word = rtf.substr(i + 1, j - i - 1);
                const int value = std::atoi(rtf.c_str() + j);
                while (j < end && (std::isdigit(static_cast<unsigned char>(rtf[j])) || rtf[j] == '-')) ++j;
                if (word == "red") red = value;
                if (word == "green") green = value;
                if (word == "blue") blue = value;
                i = j;
            } else {
                ++i;
            }
        }
    }

    size_t GroupEnd(size_t open) const {
        int depth = 0;
        for (size_t i = open; i < rtf.size(); ++i) {
            if (rtf[i] == '\\') {
                ++i;
                continue;
            }
            if (rtf[i] == '{') ++depth;
            if (rtf[i] == '}' && --depth == 0) return i;
        }
        throw std::runtime_error("unbalanced braces");
    }

    void Read() {
        if (rtf.compare(0, 6, "{\\rtf1") != 0) throw std::runtime_error("not RTF");
        const size_t end = GroupEnd(0);
        if (rtf.find_first_not_of("\r\n", end + 1) != std::string::npos) throw std::runtime_error("text after the end");
        at = 1;
        while (at < end) {
            const char c = rtf[at];
            if (c == '{') {
                const size_t close = GroupEnd(at);
                if (rtf.compare(at, 10, "{\\colortbl") == 0) {
                    const size_t save = at;
                    at += 10;
                    ColourTable(close);
                    at = save;
                }
                at = close + 1;  // font table and the like: nothing to show
            } else if (c == '\r' || c == '\n') {
                ++at;
            } else if (c == '\\') {
                ControlWord();
            } else {
                pending.clear();
                while (at < end && rtf[at] != '\\' && rtf[at] != '{' && rtf[at] != '}' && rtf[at] != '\r' &&
                       rtf[at] != '\n')
                    pending += static_cast<char16_t>(static_cast<unsigned char>(rtf[at++]));
                Text(pending);
            }
        }
    }

    void ControlWord() {
        const char next = rtf[at + 1];
        if (next == '\\' || next == '{' || next == '}') {
            Text(std::u16string(1, static_cast<char16_t>(next)));
            at += 2;
            return;
        }
        size_t j = at + 1;
        while (std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        const std::string word = rtf.substr(at + 1, j - at - 1);
        bool hasValue = false;
        int value = 0;
        if (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j]))) {
            hasValue = true;
            value = std::atoi(rtf.c_str() + j);
            ++j;
            while (std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
        }
        if (rtf[j] == ' ') ++j;
        at = j;
        if (word == "par") EndParagraph();
        else if (word == "pard") alignment = 0;
        else if (word == "qc") alignment = 2;
        else if (word == "ql") alignment = 0;
        else if (word == "plain") size = 12, bold = false, colour = 0;
        else if (word == "fs") size = value / 2;
        else if (word == "cf") colour = value;
        else if (word == "b") bold = !hasValue || value != 0;
        else if (word == "tab") Text(u"\t");
        else if (word == "u") {
            Text(std::u16string(1, static_cast<char16_t>(static_cast<int16_t>(value))));
            if (rtf[at] == '?') ++at;  // the fallback character
        }
    }
};

}  // namespace

std::vector<TextRun> ReadRtfRuns(const std::string& rtf) {
    Reader reader(rtf);
    reader.Read();
    Builder& out = reader.out;
    if (out.paragraphStart == out.out.size() && !out.out.empty()) {
        // As a RichEdit loads a document: the last paragraph mark is the
        // document's own final mark and adds no line.
        std::u16string& last = out.out.back().text;
        last.resize(last.size() - 2);
        if (last.empty()) out.out.pop_back();
    } else {
        out.Align(reader.alignment);  // an open last paragraph keeps the alignment in force
    }
    return out.Runs();
}

std::vector<TextRun> Normalized(const std::vector<TextRun>& runs) {
    // Each run sets the alignment of the paragraph it starts in; control
    // characters other than tabs are not shown.
    Builder out;
    int alignment = 0;
    for (const TextRun& run : runs) {
        alignment = run.alignment;
        const std::u16string text = outside::Utf8ToUtf16(run.text);
        std::u16string piece;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'\r' || c == u'\n') {
                if (!piece.empty()) out.Text(piece, run.size, run.bold, run.colour & 0xFFFFFF);
                piece.clear();
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                out.EndParagraph(alignment, run.size, run.bold, run.colour & 0xFFFFFF);
                alignment = run.alignment;
            } else if (c >= 0x20 || c == u'\t') {
                piece += c;
            }
        }
        if (!piece.empty()) out.Text(piece, run.size, run.bold, run.colour & 0xFFFFFF);
    }
    out.Align(alignment);
    return out.Runs();
}

}  // namespace testsupport
