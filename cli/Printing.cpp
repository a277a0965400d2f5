#include "Printing.h"

#include <cstdio>
#include <cstdlib>

#include "Attachments.h"
#include "Platform.h"
#include "QuilletCli.h"
#include "app/chatwindow/IConversationPane.h"
#include "app/chatwindow/MessageDisplay.h"
#include "app/settings/modSettings.h"
#include "outside/Utf.h"

namespace cli {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr size_t kCentreWidth = 48;
// Sizes the display gives its runs: titles 8 points, file-name lines 7, spacers 3.
constexpr int kSpacerSize = 3;
constexpr int kFileNameSize = 7;

// "auto": on a terminal that can show them, unless NO_COLOR asks for none
// (an explicit --color outranks it, as no-color.org has it).
bool ColoursWanted(const std::string& mode) {
    if (mode == "never") return false;
    if (mode == "always") {
        EnableTerminalColours();
        return true;
    }
    const char* noColour = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    if (noColour && *noColour) return false;
    if (term && std::string_view(term) == "dumb") return false;
    return StdoutIsTerminal() && EnableTerminalColours();
}

std::string TrueColour(int32_t colour) {
    char escape[32];
    std::snprintf(escape, sizeof escape, "\x1b[1;38;2;%d;%d;%dm", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return escape;
}

}  // namespace

std::string SafeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            out += kReplacement;
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += kReplacement;  // C1 controls: some terminals take U+009B for an escape
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UnixLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return out;
}

std::string IsoTime(const outside::DateTimeRecord& utc) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", utc.year, utc.month, utc.day, utc.hour,
                  utc.minute, utc.second, utc.milliseconds);
    return stamp;
}

std::string JsonString(std::string_view text) {
    // JSON is Unicode: bytes that are not UTF-8 (a file name from an old
    // system) become U+FFFD rather than make the line unreadable.
    std::string valid;
    if (!outside::IsValidUtf8(text)) {
        valid = outside::Utf16ToUtf8(outside::Utf8ToUtf16(text));
        text = valid;
    }
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::string MessageJsonMembers(const DecodedFile& file, const std::string& chatFolder) {
    return "\"time\":" + JsonString(IsoTime(file.time)) + ",\"user\":" + JsonString(file.userName) +
           ",\"text\":" + JsonString(file.text) +
           ",\"client\":" + (file.clientGuid.empty() ? std::string("null") : JsonString(file.clientGuid)) +
           ",\"own\":" + (file.kind == exchange::MessageKind::Mine ? "true" : "false") +
           ",\"format\":" + JsonString(FormatOf(file.path)) + ",\"file\":" + JsonString(file.fileName) +
           AttachmentJsonMember(file.text, chatFolder);
}

// The conversation pane as text: spacers become empty lines, titles are bold
// in their colour on a colour terminal, own titles carry a "*".
class MessagePrinter::Pane final : public chatwindow::IConversationPane {
public:
    Pane(bool colours, const std::string& chatFolder) : colours_(colours), chatFolder_(chatFolder) {}

    void MarkOwn(bool own) { own_ = own; }
    bool Ok() const { return ok_; }

    bool IsEmpty() const override { return empty_; }
    void BeginAppend() override {}
    void EndAppend() override {
        if (!attachment_.empty()) {
            // Appended piece by piece: GCC 12's -Wrestrict misreads "\n" + std::string&&.
            pending_ += '\n';
            pending_ += Styled(SafeForTerminal(attachment_), "\x1b[2m");
            pending_ += '\n';
        }
        attachment_.clear();
        if (!pending_.empty()) ok_ = WriteStdout(pending_) && ok_;
        pending_.clear();
        empty_ = false;
    }
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override {
        std::string run = SafeForTerminal(UnixLineBreaks(text));
        std::string end;
        while (!run.empty() && run.back() == '\n') {
            run.pop_back();
            end += '\n';
        }
        if (size == kSpacerSize) {
            pending_ += end;
        } else if (alignment == chatwindow::kAlignCentre) {
            const size_t width = run.size();
            const std::string pad(width < kCentreWidth ? (kCentreWidth - width) / 2 : 0, ' ');
            pending_ += pad + Styled(run, "\x1b[2m") + end;
        } else if (bold) {
            pending_ += Styled((own_ ? "* " : "") + run, TrueColour(colour)) + end;
        } else if (size == kFileNameSize) {
            pending_ += Styled(run, "\x1b[2m") + end;
        } else {
            pending_ += run + end;
        }
        // A sent file's path goes on a line of its own under the line with its name.
        if (!end.empty() && !attachment_.empty()) {
            pending_ += Styled(SafeForTerminal(attachment_), "\x1b[2m") + "\n";
            attachment_.clear();
        }
    }
    void AppendLink(const std::string& text, const std::string& target, int, int32_t, int) override {
        pending_ += Styled(SafeForTerminal(text), "\x1b[4m");
        attachment_ = AttachmentLine(target, chatFolder_);
    }
    void Clear() override {}
    std::vector<chatwindow::TextRun> TakeUnloggedRuns() override { return {}; }  // the terminal keeps no log

private:
    std::string Styled(const std::string& run, const std::string& style) const {
        return colours_ && !run.empty() ? style + run + "\x1b[0m" : run;
    }

    bool colours_;
    std::string chatFolder_;
    bool own_ = false;
    bool empty_ = true;
    bool ok_ = true;
    std::string pending_;
    std::string attachment_;  // the line the next line break brings
};

// The program's display, hooked to nothing: no blinking, no log.
MessagePrinter::MessagePrinter(bool json, const std::string& colorMode, const std::string& chatFolder)
    : json_(json),
      chatFolder_(chatFolder),
      pane_(std::make_unique<Pane>(!json && ColoursWanted(colorMode), chatFolder)),
      display_(std::make_unique<chatwindow::MessageDisplay>(*pane_, chatwindow::DisplayHooks{})) {}
MessagePrinter::~MessagePrinter() = default;

bool MessagePrinter::Print(const DecodedFile& file) {
    if (json_) {
        std::string line = "{";
        line += MessageJsonMembers(file, chatFolder_);
        line += "}\n";
        return WriteStdout(line);
    }
    pane_->MarkOwn(file.kind == exchange::MessageKind::Mine);
    display_->DisplayMessage(file.userName, file.text, file.time, file.kind, file.fileName);
    return pane_->Ok();
}

void ReportError(const std::string& text) { WriteStderr(SafeForTerminal(text) + "\n"); }

int OutputFailed() {
    if (const std::string reason = StdoutFailure(); !reason.empty())
        ReportError("quillet-cli: standard output: " + reason);
    return kExitFailed;
}

}  // namespace cli
