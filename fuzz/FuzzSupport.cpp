#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/chatwindow/MessageDisplay.h"
#include "app/logsviewer/RtfPlainText.h"
#include "app/settings/modSettings.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

namespace fuzz {

namespace {

// The scratch folder once made; removed at exit, and before an abort (which skips exit).
const std::string* scratch = nullptr;

void RemoveScratch() {
    std::error_code ec;
    if (scratch) std::filesystem::remove_all(std::filesystem::path(*scratch), ec);
}

}  // namespace

void Require(bool ok, std::string_view what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(what.size()), what.data());
    RemoveScratch();
    std::abort();
}

void Initialise() {
    ::setenv("TZ", "Europe/Moscow", 1);
    ::tzset();
    modSettings::ShowDebugMessages = true;
    modSettings::ShowMessageFileNames = true;
}

const std::string& ScratchFolder() {
    if (!scratch) {
        const std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::filesystem::path dir = base / ("quillet-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        scratch = new std::string(dir.string());  // kept to the very end: the clean-up at exit needs it
        std::atexit(RemoveScratch);
    }
    return *scratch;
}

std::string WriteScratch(const std::string& name, std::string_view bytes) {
    const std::string path = ScratchFolder() + "/" + name;
    outside::WriteFileAtomically(path, bytes);
    return path;
}

struct CheckedDisplay::Real {
    explicit Real(RunsPane& pane) : display(pane, chatwindow::DisplayHooks{}) {}
    chatwindow::MessageDisplay display;
};

CheckedDisplay::CheckedDisplay() : real_(new Real(pane)) {}
CheckedDisplay::~CheckedDisplay() { delete real_; }

void CheckedDisplay::DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                                    exchange::MessageKind kind, const std::string& fileName) {
    DisplayMessageFrom("", userName, text, time, kind, fileName);
}

void CheckedDisplay::DisplayMessageFrom(const std::string& senderGuid, const std::string& userName,
                                              const std::string& text, outside::DateTimeRecord time,
                                              exchange::MessageKind kind, const std::string& fileName) {
    Require(outside::IsValidUtf8(userName) && outside::IsValidUtf8(text) && outside::IsValidUtf8(senderGuid),
            "a reader handed over text that is not UTF-8");
    ++shown.messages;
    shown = {shown.messages, shown.notices, senderGuid, userName, text, time, kind};
    real_->display.DisplayMessage(userName, text, time, kind, fileName);
}

void CheckedDisplay::ShowSystemMessage(const std::string& text) {
    Require(outside::IsValidUtf8(text), "a notice that is not UTF-8");
    ++shown.notices;
    real_->display.ShowSystemMessage(text);
}

void CheckedDisplay::ShowDebugMessage(const std::string& text) {
    Require(outside::IsValidUtf8(text), "a debug notice that is not UTF-8");
    real_->display.ShowDebugMessage(text);
}

void CheckPane(const RunsPane& pane) {
    for (const chatwindow::TextRun& run : pane.runs) Require(outside::IsValidUtf8(run.text), "a pane run is not UTF-8");
    const std::string rtf = chatwindow::RunsToRtf(pane.runs, "Tahoma");
    Require(logsviewer::RtfPlainText(rtf) == ExpectedRtfText(pane.runs), "the pane's RTF does not read back as its text");
}

void CheckReading(exchange::DispatchResult result, const CheckedDisplay& display) {
    Require(result != exchange::DispatchResult::Retry, "a readable file was left for later");
    Require(result == exchange::DispatchResult::Processed ? display.shown.messages == 1 : display.shown.notices == 1,
            "the result and what was shown disagree");
    CheckPane(display.pane);
}

std::u16string ExpectedRtfText(const std::vector<chatwindow::TextRun>& runs) {
    std::u16string out;
    for (const chatwindow::TextRun& run : runs) {
        const std::u16string text = outside::Utf8ToUtf16(run.text);
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                out += u'\r';
            } else if (c >= 0x20 || c == u'\t') {
                out += c;
            }
        }
    }
    return out;
}

}  // namespace fuzz
