// Sending: what is sent, how it reads back, and what the user sees when it fails.
#include <gtest/gtest.h>

#include "ChatFixture.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageSender.h"
#include "outside/Folder.h"
#include "support/RecordingHost.h"

using namespace exchange;
using SendingTest = testsupport::ChatFixture;

TEST_F(SendingTest, TrimsLineBreaksAtTheEndsNamesAnAnonymousAndSendsNoBlankText) {
    const struct {
        bool xml;
        const char* user;
        std::string text;
        const char* shownUser;  // null: nothing is sent
        std::string shownText;
    } cases[] = {
        {false, "  Вова \r\n", "\r\n  слово! \r\nещё  \r\n\r\n", "Вова", "  слово! \r\nещё  "},
        {false, "", "привет", "Анонимус", "привет"},
        {true, " \r\n", "привет!", "Анонимус", "привет!"},
        {false, "Вова", " \r\n \r\n ", nullptr, ""},
        {true, "Вова", "\n", nullptr, ""},
        {false, "Вова", "", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("[" + c.text + "]");
        modSettings::SendXMLMessages = c.xml;
        modSettings::UserName = c.user;
        testsupport::RecordingDisplay host;
        EXPECT_EQ(SendComposedMessage(Chat(), c.text, host), c.shownUser ? SendOutcome::Sent : SendOutcome::NothingToSend);
        EXPECT_TRUE(host.lines.empty());
        const auto lines = testsupport::OnePass().lines;  // read back as a pass would
        ASSERT_EQ(lines.size(), c.shownUser ? 1u : 0u);
        if (lines.empty()) continue;
        EXPECT_EQ(lines[0].text, c.shownText);
        EXPECT_EQ(lines[0].userName, c.shownUser);
        EXPECT_EQ(lines[0].kind, MessageKind::Mine);
        EXPECT_EQ(outside::esGetFileExtension(lines[0].fileName), c.xml ? "ZXMF" : "ZPMF");
    }
    testsupport::RecordingDisplay host;
    const size_t before = outside::ListPlainFiles(chat.path(), kBinaryExtension).size();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(SendBinaryMessage(Chat(), "m" + std::to_string(i), host), SendOutcome::Sent);
    EXPECT_EQ(outside::ListPlainFiles(chat.path(), kBinaryExtension).size(), before + 20) << "two in one ms: two files";
}

TEST_F(SendingTest, ToAnUnwritableFolderShowsTheNoticeWithThePath) {
    testsupport::UseTestChat(chat / "Беседа.ZPMFChat", outside::esBuildFileName2(chat.path(), "пропавшая папка"));
    testsupport::RecordingDisplay host;
    EXPECT_EQ(SendBinaryMessage(Chat(), "текст", host), SendOutcome::Failed);
    EXPECT_EQ(SendXmlMessage(Chat(), "текст", host), SendOutcome::Failed);
    ASSERT_EQ(host.lines.size(), 2u);
    const std::string& notice = host.lines[0].text;
    EXPECT_EQ(notice.rfind("Не удалось отправить сообщение.\r\nОшибка 0x80070002: ", 0), 0u) << notice;
    const std::string path = notice.substr(notice.rfind("\r\n") + 2);
    EXPECT_EQ(outside::esGetFilePath(path), Chat().ChatFolder);
    EXPECT_EQ(outside::esGetFileExtension(path), "ZPMF");
    EXPECT_EQ(host.lines[1].text.rfind("Не удалось отправить сообщение: ошибка сохранения XML файла.\r\nОшибка ", 0), 0u)
        << host.lines[1].text;
}
