// A conversation pane that records its runs, for tests of the display and the log.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/IConversationPane.h"
#include "outside/RuntimeError.h"
#include "support/TempDir.h"

namespace testsupport {

struct PaneRun {
    std::string text;
    int size;
    bool bold;
    int32_t colour;
    int alignment;
    friend bool operator==(const PaneRun&, const PaneRun&) = default;
};

class RecordingPane : public chatwindow::IConversationPane {
public:
    bool IsEmpty() const override { return Text().empty(); }
    void BeginAppend() override { ++depth; }
    void EndAppend() override { --depth; }
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override {
        runs.push_back({text, size, bold, colour, alignment});
    }
    void Clear() override { runs.clear(); }
    void SaveRtf(const std::string& path) override {
        ++saves;
        if (failSaves) throw outside::RuntimeError(outside::ErrorNumberFromWin32(5), "Отказано в доступе.");
        WriteRaw(path, Text());
    }
    std::string Text() const {
        std::string all;
        for (const PaneRun& r : runs) all += r.text;
        return all;
    }

    std::vector<PaneRun> runs;
    int depth = 0;
    int saves = 0;
    bool failSaves = false;
};

}  // namespace testsupport
