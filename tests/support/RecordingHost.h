// A dispatch host that records lines, captions, saves, clears and pumps.
#pragma once

#include <algorithm>
#include <functional>

#include "app/exchange/MessageDispatcher.h"
#include "support/RecordingDisplay.h"
#include "support/TestChat.h"

namespace testsupport {

class RecordingHost : public testsupport::RecordingDisplay, public exchange::IDispatchHost {
public:
    const startup::ClaimedChat& Chat() const override { return *TestChat(); }
    void DisplayMessage(const std::string& u, const std::string& t, outside::DateTimeRecord time, exchange::MessageKind k,
                        const std::string& f) override {
        if (onDisplay) onDisplay();
        RecordingDisplay::DisplayMessage(u, t, time, k, f);
    }
    void ShowSystemMessage(const std::string& t) override { RecordingDisplay::ShowSystemMessage(t); }
    void ShowDebugMessage(const std::string& t) override { RecordingDisplay::ShowDebugMessage(t); }
    bool SaveLog(bool silent, bool resetName) override {
        saves.push_back({silent, resetName, lines.size()});
        if (saveWorks) loggedLines = lines.size();
        return saveWorks;
    }
    void PassFinished() override { ++passesFinished; }
    void ClearConversation() override { ++clears; }
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void PumpMessagesOnce() override {
        ++pumps;
        if (onPump) onPump();
    }

    struct Save {
        bool silent, resetName;
        size_t linesBefore;
    };
    std::vector<Save> saves;
    // The saves that began a new log file.
    size_t ResetSaves() const {
        return static_cast<size_t>(std::count_if(saves.begin(), saves.end(), [](const Save& s) { return s.resetName; }));
    }
    std::vector<std::string> captions;
    int clears = 0;
    int pumps = 0;
    bool saveWorks = true;
    size_t loggedLines = 0;  // the lines a successful save has put into the log
    int passesFinished = 0;
    std::function<void()> onPump;
    std::function<void()> onDisplay;
};

// A client that starts now, after one pass over the test's chat.
inline RecordingHost OnePass() {
    RecordingHost host;
    exchange::MessageDispatcher(host).DispatchAllMessages();
    return host;
}

// The messages it showed, one's own and the others'.
inline std::vector<std::string> Shown(const RecordingHost& host) {
    return host.Texts({exchange::MessageKind::Other, exchange::MessageKind::Mine});
}

// The host as the display the poller reports to (the base is ambiguous otherwise).
inline exchange::IMessageDisplay& AsDisplay(RecordingHost& host) { return static_cast<exchange::IDispatchHost&>(host); }

}  // namespace testsupport
