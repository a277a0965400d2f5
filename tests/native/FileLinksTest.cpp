// A file message in the pane and the log: the name is a link a reader of the log finds again.
#include <gtest/gtest.h>

#include "ChatFixture.h"
#include "app/chatwindow/ConversationLog.h"
#include "app/chatwindow/FileLinks.h"
#include "app/chatwindow/MessageDisplay.h"
#include "app/exchange/FileMessage.h"
#include "app/logsviewer/RtfPlainText.h"
#include "outside/Utf.h"
#include "support/RecordingPane.h"

using namespace chatwindow;
using namespace testsupport;

namespace {

const outside::DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};

exchange::FileMessage Message(const std::string& name, uint64_t size, const std::string& comment = {}) {
    return {{name, size, exchange::StoredFileName(kSent, "1a2b3c4d", name)}, comment};
}

class FileLinksTest : public testsupport::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        modSettings::iChatStylePlugin = false;
        modSettings::NameOnSeparateLine = true;
    }
    RecordingPane pane;
    MessageDisplay display{pane, {}};
};

}  // namespace

TEST_F(FileLinksTest, TheNameIsALinkWithItsSizeAndNoPath) {
    const int32_t body = modSettings::OtherMessageBodyColor;
    const auto file = Message("отчёт за май.pdf", 1258291, "вот\r\nон");
    display.DisplayMessage("Вова", exchange::FileMessageText(file), kSent, exchange::MessageKind::Other, "");
    ASSERT_EQ(pane.runs.size(), 5u);
    EXPECT_EQ(std::vector<PaneRun>(pane.runs.begin() + 1, pane.runs.end()),
              (std::vector<PaneRun>{{"Файл: ", 9, false, body, 0},
                                    {"отчёт за май.pdf", 9, false, body, 0, exchange::LinkTarget(file.file)},
                                    {" (1,2 МБ)\r\n", 9, false, body, 0},
                                    {"вот\r\nон\r\n", 9, false, body, 0}}));
    EXPECT_EQ(pane.Text().find(exchange::kFilesFolderName), std::string::npos) << pane.Text();

    // Not the form: the text as it is, no link.
    pane.Clear();
    const std::string almost = "Файл: отчёт за май.pdf (1 258 291 байт)\r\nФайлы/" + file.file.storedName;
    display.DisplayMessage("Вова", almost, kSent, exchange::MessageKind::Other, "");
    ASSERT_EQ(pane.runs.size(), 2u);
    EXPECT_EQ(pane.runs[1].text, almost + "\r\n");
    EXPECT_TRUE(pane.runs[1].link.empty());

    pane.Clear();  // a direction mark cannot disguise the extension
    display.DisplayMessage("Вова", exchange::FileMessageText(Message("счёт\u202Efdp.exe", 10)), kSent,
                           exchange::MessageKind::Other, "");
    EXPECT_EQ(pane.runs.at(2).text, "счёт_fdp.exe");
}

TEST_F(FileLinksTest, TheLogKeepsEveryLinkWhereAReaderOfItsTextFindsIt) {
    // Two saves: the second one adds to the file in place.
    ConversationLog log(pane, [] { return kSent; });
    const std::vector<exchange::FileMessage> files = {Message("фото {1} \\ 😀.jpg", 5), Message("a.txt", 7),
                                                      Message(std::string(150, 'x') + ".bin", 9)};
    display.DisplayMessage("Вова", "до файлов", kSent, exchange::MessageKind::Other, "");
    display.DisplayMessage("Вова", exchange::FileMessageText(files[0]), kSent, exchange::MessageKind::Other, "");
    ASSERT_TRUE(log.SaveLog(true, false));
    display.ShowSystemMessage("между ними, с \\u1234? и {скобками}");
    for (size_t i = 1; i < files.size(); ++i)
        display.DisplayMessage("Аня", exchange::FileMessageText(files[i]), kSent, exchange::MessageKind::Mine, "");
    ASSERT_TRUE(log.SaveLog(true, false));

    const std::string rtf = testsupport::ReadRaw(log.CurrentLogPath());
    const std::u16string text = logsviewer::RtfPlainText(rtf);
    const std::vector<LinkRange> links = LinkRanges(rtf);
    ASSERT_EQ(links.size(), files.size()) << rtf;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const std::u16string name = outside::Utf8ToUtf16(files[i].file.name);
        EXPECT_EQ(links[i].text, name);
        EXPECT_EQ(text.substr(links[i].begin, links[i].end - links[i].begin), name);
        EXPECT_EQ(links[i].target, exchange::LinkTarget(files[i].file));
    }
}

TEST_F(FileLinksTest, DamagedMarkersGiveNoLink) {
    const std::string head = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\pard ";
    const std::string cases[] = {
        head + "{\\*\\quilletlink 5 x}\\ul name\\ulnone\\par}",                              // no end
        head + "{\\*\\quilletlink 5 {x}y}\\ul name\\ulnone{\\*\\quilletlinkend}\\par}",       // a group in the target
        head + "{\\*\\quilletlink }\\ul name\\ulnone{\\*\\quilletlinkend}\\par}",            // no target
        head + "{\\*\\quilletlink 5 x}\\ul \\ulnone{\\*\\quilletlinkend}\\par}",             // no text
        head + "{\\*\\quilletlink 5 \\u99999999?}\\ul n\\ulnone{\\*\\quilletlinkend}\\par}",  // beyond UTF-16
    };
    for (const std::string& rtf : cases) EXPECT_TRUE(LinkRanges(rtf).empty()) << rtf;
    EXPECT_EQ(LinkRanges(head + "{\\*\\quilletlink 5 \\u1060?x}\\ul n\\ulnone{\\*\\quilletlinkend}\\par}"),
              (std::vector<LinkRange>{{0, 1, u"n", "5 Фx"}}));
}
