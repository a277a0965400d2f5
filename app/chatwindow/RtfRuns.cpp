#include "RtfRuns.h"

#include <algorithm>

#include "outside/Utf.h"

namespace chatwindow {
namespace {

void AppendEscaped(std::string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c >= 0x20 && c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            // Other control characters have no place in a message line.
        } else {
            out += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
        }
    }
}

}  // namespace

std::string RunsToRtf(const std::vector<TextRun>& runs, const std::string& fontName) {
    // Colour table: one entry per distinct colour, in order of first use.
    std::vector<int32_t> colours;
    for (const TextRun& r : runs)
        if (std::find(colours.begin(), colours.end(), r.colour & 0xFFFFFF) == colours.end())
            colours.push_back(r.colour & 0xFFFFFF);

    // Split the runs into paragraphs of pieces.
    struct Piece {
        const TextRun* run;
        std::u16string text;
    };
    struct Paragraph {
        std::vector<Piece> pieces;
        int alignment = 0;
        bool ended = false;
    };
    std::vector<Paragraph> paragraphs(1);
    for (const TextRun& r : runs) {
        paragraphs.back().alignment = r.alignment;  // the run starts in this paragraph
        const std::u16string text = outside::Utf8ToUtf16(r.text);
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            const bool end = i == text.size();
            if (!end && text[i] != u'\r' && text[i] != u'\n') continue;
            if (i > start) paragraphs.back().pieces.push_back({&r, text.substr(start, i - start)});
            if (end) break;
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            paragraphs.back().ended = true;
            paragraphs.emplace_back();
            paragraphs.back().alignment = r.alignment;
            start = i + 1;
        }
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 ";
    AppendEscaped(out, outside::Utf8ToUtf16(fontName));
    out += ";}}{\\colortbl ;";
    for (const int32_t c : colours)
        out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string((c >> 16) & 0xFF) + ";";
    out += "}";
    for (const Paragraph& p : paragraphs) {
        if (p.pieces.empty() && !p.ended) continue;
        out += p.alignment == 2 ? "\\pard\\qc" : "\\pard\\ql";
        for (const Piece& piece : p.pieces) {
            const auto colour = std::find(colours.begin(), colours.end(), piece.run->colour & 0xFFFFFF) - colours.begin();
            out += "\\plain\\f0\\fs" + std::to_string(piece.run->size * 2) + "\\cf" + std::to_string(colour + 1) +
                   (piece.run->bold ? "\\b " : "\\b0 ");
            AppendEscaped(out, piece.text);
        }
        if (p.ended) out += "\\par";
        out += "\n";
    }
    out += "}";
    return out;
}

}  // namespace chatwindow
