#include "RtfRuns.h"

#include <algorithm>

#include "FileLinks.h"
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

int32_t Rgb(int32_t colour) { return colour & 0xFFFFFF; }

}  // namespace

std::string RtfHeader(const std::string& fontName, const std::vector<int32_t>& colours) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 ";
    AppendEscaped(out, outside::Utf8ToUtf16(fontName));
    out += ";}}{\\colortbl ;";
    for (const int32_t c : colours)
        out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string((c >> 16) & 0xFF) + ";";
    out += "}\n";
    return out;
}

bool AddRunColours(const std::vector<TextRun>& runs, std::vector<int32_t>& colours) {
    bool added = false;
    for (const TextRun& r : runs)
        if (std::find(colours.begin(), colours.end(), Rgb(r.colour)) == colours.end()) {
            colours.push_back(Rgb(r.colour));
            added = true;
        }
    return added;
}

std::string RtfBody(const std::vector<TextRun>& runs, const std::vector<int32_t>& colours, RunFormat how) {
    // Split the runs into paragraphs of pieces.
    struct Piece {
        const TextRun* run;
        std::u16string text;
    };
    struct Paragraph {
        std::vector<Piece> pieces;
        int alignment = 0;
        bool ended = false;
        const TextRun* breakRun = nullptr;  // the run whose line break ends it
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
            paragraphs.back().breakRun = &r;
            paragraphs.emplace_back();
            paragraphs.back().alignment = r.alignment;
            start = i + 1;
        }
    }

    std::string out;
    const auto format = [&](const TextRun& run) {
        const auto colour = std::find(colours.begin(), colours.end(), Rgb(run.colour)) - colours.begin();
        if (how == RunFormat::Reset) out += "\\plain";
        out += "\\f0\\fs" + std::to_string(run.size * 2) + "\\cf" + std::to_string(colour + 1) +
               (run.bold ? "\\b " : "\\b0 ");
    };
    for (const Paragraph& p : paragraphs) {
        if (p.pieces.empty() && !p.ended) continue;
        out += p.alignment == kAlignCentre ? "\\pard\\qc" : "\\pard\\ql";
        for (const Piece& piece : p.pieces) {
            format(*piece.run);
            const bool link = !piece.run->link.empty();
            if (link) {
                out += kRtfLinkOpen;
                AppendEscaped(out, outside::Utf8ToUtf16(piece.run->link));
                out += "}\\ul ";
            }
            AppendEscaped(out, piece.text);
            if (link) out += kRtfLinkClose;
        }
        if (p.ended) {
            // The paragraph mark has the format of the run that broke the line.
            if (p.pieces.empty() || p.pieces.back().run != p.breakRun) format(*p.breakRun);
            out += "\\par";
        }
        out += "\n";
    }
    return out;
}

namespace {
std::string Document(const std::vector<TextRun>& runs, const std::string& fontName, RunFormat how) {
    std::vector<int32_t> colours;
    AddRunColours(runs, colours);
    return RtfHeader(fontName, colours) + RtfBody(runs, colours, how) + "}";
}
}  // namespace

std::string RunsToRtf(const std::vector<TextRun>& runs, const std::string& fontName) {
    return Document(runs, fontName, RunFormat::Reset);
}

std::string RunsToPaneRtf(const std::vector<TextRun>& runs, const std::string& fontName) {
    return Document(runs, fontName, RunFormat::Explicit);
}

}  // namespace chatwindow
