// What the fuzz targets share: a scratch folder, a conversation pane that
// keeps its runs, and the checks that make a broken property a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/chatwindow/IConversationPane.h"
#include "app/chatwindow/RtfRuns.h"
#include "app/exchange/IMessageDisplay.h"
#include "app/exchange/MessageTypes.h"
#include "tests/support/RecordingPane.h"

namespace fuzz {

// Aborts with what when ok is false: libFuzzer keeps the input as a crash.
void Require(bool ok, std::string_view what);

// Common set-up of every target: a zone with an offset, quiet settings.
void Initialise();

// A scratch folder of this process, removed at exit.
const std::string& ScratchFolder();

// A file of these bytes in a scratch folder of this process; the same name
// is reused, so every input costs one small write.
std::string WriteScratch(const std::string& name, std::string_view bytes);

// The runs the display appended, kept in memory.
using RunsPane = testsupport::RecordingPane;

// What the readers handed over, on top of the real display.
struct Shown {
    int messages = 0;
    int notices = 0;
    std::string senderGuid;
    std::string userName;
    std::string text;
    outside::DateTimeRecord time;
    exchange::MessageKind kind = exchange::MessageKind::Other;
};

// Passes every call to the real MessageDisplay (over a RunsPane) and notes it.
class CheckedDisplay final : public exchange::IMessageDisplay {
public:
    CheckedDisplay();
    ~CheckedDisplay() override;
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override;
    void DisplayMessageFrom(const std::string& senderGuid, const std::string& userName, const std::string& text,
                                  outside::DateTimeRecord time, exchange::MessageKind kind,
                                  const std::string& fileName) override;
    void ShowSystemMessage(const std::string& text) override;
    void ShowDebugMessage(const std::string& text) override;

    Shown shown;
    RunsPane pane;

private:
    struct Real;
    Real* real_;
};

// Every text that reached the pane is valid UTF-8, and the pane's RTF reads
// back as its text in the logs viewer's reader.
void CheckPane(const RunsPane& pane);

// What a reader decided about a file it could read: never "later", one message
// when processed, else one notice; then the pane as CheckPane.
void CheckReading(exchange::DispatchResult result, const CheckedDisplay& display);

// What RunsToRtf promises to keep of runs: every line break is one CR (as a
// RichEdit keeps paragraphs), control characters other than tab are left out.
std::u16string ExpectedRtfText(const std::vector<chatwindow::TextRun>& runs);

}  // namespace fuzz
