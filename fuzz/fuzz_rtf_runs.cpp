// The RTF of the display: any text, control words and braces included, comes
// back from the RTF as the same text through the logs viewer's reader (line
// breaks as paragraphs; control characters other than tab are left out by
// design).
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "app/logsviewer/RtfPlainText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<chatwindow::TextRun> runs;
    while (in.remaining_bytes() > 0 && runs.size() < 16) {
        chatwindow::TextRun run;
        run.size = in.ConsumeIntegralInRange(1, 72);
        run.bold = in.ConsumeBool();
        run.colour = in.ConsumeIntegral<int32_t>();
        run.alignment = in.ConsumeBool() ? 2 : 0;
        run.text = in.ConsumeRandomLengthString(400);
        runs.push_back(std::move(run));
    }
    const std::string rtf = chatwindow::RunsToRtf(runs, "Tahoma");
    fuzz::Require(logsviewer::RtfPlainText(rtf) == fuzz::ExpectedRtfText(runs), "the RTF does not read back as its text");
    return 0;
}
