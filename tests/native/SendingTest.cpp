// Sending: what is sent, what is not, and what the user sees when it fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChatFixture.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageSender.h"
#include "outside/Folder.h"
#include "support/RecordingHost.h"

using namespace exchange;
using testsupport::OnePass;

namespace {

class SendingTest : public testsupport::ChatFixture {
protected:
    std::vector<std::string> MessageFiles() const {
        std::vector<std::string> names;
        for (const char* ext : {kBinaryExtension, kXmlExtension})
            for (const auto& n : outside::ListPlainFiles(chat.path(), ext)) names.push_back(n);
        return names;
    }
    // Reads back what was sent, as a pass would.
    std::vector<testsupport::DisplayedLine> ReadBack() { return OnePass().lines; }
};

}  // namespace

TEST_F(SendingTest, BlankTextSendsNothingAndShowsNothing) {
    for (const char* blank : {"", "   ", "\r\n\r\n", " \r\n \r\n ", "\n"}) {
        testsupport::RecordingDisplay host;
        EXPECT_EQ(SendComposedMessage(Chat(), blank, host), SendOutcome::NothingToSend) << "[" << blank << "]";
        EXPECT_TRUE(host.lines.empty());
    }
    EXPECT_TRUE(MessageFiles().empty());
}

TEST_F(SendingTest, LineBreaksAtTheEndsGoBlanksAndInnerBreaksStay) {
    for (bool xml : {false, true}) {
        modSettings::SendXMLMessages = xml;
        testsupport::RecordingDisplay host;
        // A text of its own per format: one text sent twice in one millisecond would be one message.
        const std::string word = xml ? "слово" : "слово!";
        ASSERT_EQ(SendComposedMessage(Chat(), "\r\n  " + word + " \r\nещё  \r\n\r\n", host), SendOutcome::Sent);
        const auto lines = ReadBack();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, "  " + word + " \r\nещё  ");
        EXPECT_EQ(lines[0].kind, MessageKind::Mine);
        EXPECT_EQ(outside::esGetFileExtension(lines[0].fileName), xml ? "ZXMF" : "ZPMF");
    }
}

TEST_F(SendingTest, EmptyUserNameIsSentAsAnonymous) {
    int sent = 0;
    for (const char* name : {"", "  ", "\r\n"}) {
        modSettings::UserName = name;
        testsupport::RecordingDisplay host;
        // A new text each time: one text sent twice in one millisecond would be one message.
        ASSERT_EQ(SendBinaryMessage(Chat(), "привет " + std::to_string(++sent), host), SendOutcome::Sent);
        const auto lines = ReadBack();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].userName, "Анонимус");
    }
    modSettings::UserName = "  Вова \r\n";
    testsupport::RecordingDisplay host;
    SendXmlMessage(Chat(), "x", host);
    EXPECT_EQ(ReadBack().at(0).userName, "Вова");
}

TEST_F(SendingTest, TwoMessagesInOneMillisecondGetTwoFiles) {
    testsupport::RecordingDisplay host;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(SendBinaryMessage(Chat(), "m" + std::to_string(i), host), SendOutcome::Sent);
    EXPECT_EQ(MessageFiles().size(), 20u);
}

TEST_F(SendingTest, UnwritableFolderShowsTheNoticeWithThePath) {
    testsupport::UseTestChat(chat / "Беседа.ZPMFChat", outside::esBuildFileName2(chat.path(), "пропавшая папка"));
    testsupport::RecordingDisplay host;
    EXPECT_EQ(SendBinaryMessage(Chat(), "текст", host), SendOutcome::Failed);
    ASSERT_EQ(host.lines.size(), 1u);
    const std::string& notice = host.lines[0].text;
    EXPECT_EQ(notice.rfind("Не удалось отправить сообщение.\r\nОшибка 0x80070002: ", 0), 0u) << notice;
    const std::string path = notice.substr(notice.rfind("\r\n") + 2);
    EXPECT_EQ(outside::esGetFilePath(path), Chat().ChatFolder);
    EXPECT_EQ(outside::esGetFileExtension(path), "ZPMF");

    testsupport::RecordingDisplay xmlHost;
    EXPECT_EQ(SendXmlMessage(Chat(), "текст", xmlHost), SendOutcome::Failed);
    EXPECT_EQ(xmlHost.lines.at(0).text.rfind("Не удалось отправить сообщение: ошибка сохранения XML файла.\r\nОшибка ", 0),
              0u)
        << xmlHost.lines.at(0).text;
}
