// A home of its own for each test (settings, follow's state, the folder
// claims), a chat folder with its chat file, and helpers to look at both.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace clitest {

// One JSON object as quillet-cli writes them: strings, numbers, true and false
// as their text; null as nullopt; an array of strings as its items joined by
// line feeds; the members of a nested object as "outer.inner".
using JsonObject = std::map<std::string, std::optional<std::string>>;
// One object a line; a line that does not parse fails the test.
std::vector<JsonObject> ParseJsonLines(const std::string& text);

// The texts of the messages of JSON lines, in order.
std::vector<std::string> Texts(const std::string& jsonLines);

// How often needle occurs in text.
size_t Count(const std::string& text, const std::string& needle);

// text as one word of a shell command line.
std::string Quoted(const std::string& text);

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings this client keeps, read and written with the program's own store.
    std::string StoredClientGuid() const;
    void SetChatName(const std::string& name) const;
    void SetChatSwitch(const std::string& section, bool on) const;

    // Names of the files in the chat folder (all of them, hidden ones too).
    std::vector<std::string> FolderNames() const { return testsupport::FolderNames(chat.path()); }
    // Writes a file into the chat folder, last written ageSeconds ago.
    std::string PutFile(const std::string& name, const std::string& bytes, int ageSeconds = 60) const;
    std::string PutCorpusFile(const std::string& corpusName, int ageSeconds = 60) const;
    // A binary message from another client, sent at utc ("2024-01-31 13:05:07.042").
    std::string PutMessage(const std::string& name, const std::string& utc, const std::string& text) const;

    testsupport::TempDir home;
    testsupport::TempDir chat;
    std::string chatFile;

private:
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> environment_;
};

}  // namespace clitest
