// The open chat as one value: the chat file, its folder, and the claim on the
// folder that keeps a second Quillet on this machine out of it. Made once by
// the claim (modMain::ClaimChatFolder) and handed to the chat window, which
// passes it on to what it owns; nothing changes it, and the claim lasts while
// anything holds the value.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "CExchangePathProtector.h"

namespace startup {

class ClaimedChat {
public:
    // guard holds the claim on chatFolder; null for a chat opened without one
    // (quillet-cli's commands that only send or read).
    ClaimedChat(std::string chatFilePath, std::string chatFolder, std::unique_ptr<CExchangePathProtector> guard = {})
        : ChatFilePath(std::move(chatFilePath)), ChatFolder(std::move(chatFolder)), guard_(std::move(guard)) {}
    ClaimedChat(const ClaimedChat&) = delete;
    ClaimedChat& operator=(const ClaimedChat&) = delete;

    // Full path of the chat file; also the key of every per-chat setting.
    const std::string ChatFilePath;
    // The folder of the chat file, where every message file lives.
    const std::string ChatFolder;

    bool Claimed() const { return guard_ != nullptr; }

private:
    std::unique_ptr<CExchangePathProtector> guard_;
};

using ChatPtr = std::shared_ptr<const ClaimedChat>;

}  // namespace startup
