// The chat a test works in: its host reads it as the chat window reads the one it was given.
#pragma once

#include <memory>
#include <string>

#include "app/startup/ClaimedChat.h"

namespace testsupport {

// The chat of the running test; set by the fixtures, null between tests.
inline startup::ChatPtr& TestChat() {
    static startup::ChatPtr chat;
    return chat;
}

// An unclaimed chat on chatFilePath (its folder taken as given), made the test's chat.
inline const startup::ClaimedChat& UseTestChat(const std::string& chatFilePath, const std::string& chatFolder) {
    TestChat() = std::make_shared<const startup::ClaimedChat>(chatFilePath, chatFolder);
    return *TestChat();
}

}  // namespace testsupport
