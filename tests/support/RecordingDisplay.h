// An IMessageDisplay that records every call, for tests of the readers and the pass.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "app/exchange/IMessageDisplay.h"

namespace testsupport {

struct DisplayedLine {
    exchange::MessageKind kind;
    std::string userName;  // empty for notices
    std::string text;
    outside::DateTimeRecord time;
    std::string fileName;
};

class RecordingDisplay : public exchange::IMessageDisplay {
public:
    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override {
        lines.push_back({kind, userName, text, time, fileName});
    }
    void ShowSystemMessage(const std::string& text) override {
        lines.push_back({exchange::MessageKind::System, "", text, {}, ""});
    }
    void ShowDebugMessage(const std::string& text) override {
        lines.push_back({exchange::MessageKind::Debug, "", text, {}, ""});
    }

    // The texts of the lines of the given kinds, in order.
    std::vector<std::string> Texts(std::initializer_list<exchange::MessageKind> kinds) const {
        std::vector<std::string> texts;
        for (const DisplayedLine& line : lines)
            for (exchange::MessageKind kind : kinds)
                if (line.kind == kind) texts.push_back(line.text);
        return texts;
    }

    std::vector<DisplayedLine> lines;
};

}  // namespace testsupport
