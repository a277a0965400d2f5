// The conversation log as it grows: after each save of whole lines (a header,
// then bodies written over the trailer, the whole file again when the colour
// table grows or someone else changed the file), the file read back whole
// is the whole pane's document byte for byte, and the logs viewer reads its
// text.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "app/chatwindow/ConversationLog.h"
#include "app/chatwindow/RtfRuns.h"
#include "app/logsviewer/RtfPlainText.h"
#include "app/settings/modSettings.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    modSettings::LogsFolder = fuzz::ScratchFolder() + "/logs";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // A few colours, so that runs both reuse the table and grow it.
    int32_t colours[6];
    for (int32_t& c : colours) c = in.ConsumeIntegral<int32_t>() & 0xFFFFFF;
    std::vector<int32_t> palette(colours, colours + in.ConsumeIntegralInRange(0, 2));
    fuzz::RunsPane pane;
    chatwindow::ConversationLog log(pane, [] { return outside::DateTimeRecord{2024, 1, 3, 31, 13, 5, 7, 42}; },
                                    [&] { return palette; });
    while (in.remaining_bytes() > 0) {
        for (int runs = in.ConsumeIntegralInRange(1, 4); runs > 0; --runs) {
            const int points = in.ConsumeIntegralInRange(1, 72);
            const bool bold = in.ConsumeBool();
            const int32_t colour = colours[in.ConsumeIntegralInRange(0, 5)];
            const int alignment = in.ConsumeBool() ? chatwindow::kAlignCentre : chatwindow::kAlignLeft;
            pane.AppendText(in.ConsumeRandomLengthString(60), points, bold, colour, alignment);
        }
        pane.runs.back().text += "\r\n";  // the display saves after whole lines
        const bool touched = !log.CurrentLogPath().empty() && in.ConsumeIntegralInRange(0, 7) == 0;
        if (touched) outside::WriteFileAtomically(log.CurrentLogPath(), "{\\rtf1 changed elsewhere}");
        fuzz::Require(log.SaveLog(true, false), "a save failed");

        const std::string rtf = outside::ReadFileBytes(log.CurrentLogPath(), 1u << 24);
        // Byte for byte the document of the whole pane: its colours after the palette, one more paragraph mark.
        std::vector<int32_t> table = palette;
        chatwindow::AddRunColours(pane.runs, table);
        fuzz::Require(rtf == chatwindow::RtfHeader(chatwindow::kPaneFont, table) +
                                 chatwindow::RtfBody(pane.runs, table) + "\\par\n}",
                      "the log does not hold the runs");
        // The trailer's paragraph mark is the document's last.
        fuzz::Require(logsviewer::RtfPlainText(rtf) == fuzz::ExpectedRtfText(pane.runs) + u'\r',
                      "the viewer does not read the log's text");
    }
    outside::RemoveFile(log.CurrentLogPath());
    return 0;
}
