// A conversation pane that records its runs, for tests of the display and the log.
#pragma once

#include <string>
#include <vector>

#include "app/chatwindow/IConversationPane.h"

namespace testsupport {

using PaneRun = chatwindow::TextRun;

class RecordingPane : public chatwindow::IConversationPane {
public:
    bool IsEmpty() const override { return Text().empty(); }
    void BeginAppend() override { ++depth; }
    void EndAppend() override { --depth; }
    void AppendText(const std::string& text, int size, bool bold, int32_t colour, int alignment) override {
        runs.push_back({text, size, bold, colour, alignment});
    }
    void AppendLink(const std::string& text, const std::string& target, int size, int32_t colour,
                    int alignment) override {
        runs.push_back({text, size, false, colour, alignment, target});
    }
    void Clear() override {
        runs.clear();
        logged = 0;
    }
    std::vector<PaneRun> TakeUnloggedRuns() override {
        std::vector<PaneRun> fresh(runs.begin() + static_cast<std::ptrdiff_t>(logged), runs.end());
        logged = runs.size();
        return fresh;
    }
    std::string Text() const {
        std::string all;
        for (const PaneRun& r : runs) all += r.text;
        return all;
    }

    std::vector<PaneRun> runs;
    size_t logged = 0;
    int depth = 0;
};

}  // namespace testsupport
