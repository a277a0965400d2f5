// Sending a file: the message form, the copy in the files folder, and a pass that leaves that folder alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ChatFixture.h"
#include "app/exchange/FileMessage.h"
#include "app/exchange/FileSending.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "outside/Folder.h"
#include "outside/Utf.h"
#include "support/RecordingHost.h"

using namespace exchange;
using namespace testsupport;

namespace {

const outside::DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
const std::string kNbsp = "\xC2\xA0";

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(FileMessageForm, RoundTripsEveryKindOfName) {
    struct Case {
        std::string name;
        std::string extension;  // the copy keeps it, however long the name
    } cases[] = {
        {"отчёт за май.pdf", ".pdf"},
        {Repeat("я", 300) + ".txt", ".txt"},
        {Repeat("😀", 200), ""},
        {"a:b?c*<>|\".txt", ".txt"},
        {"точка и пробел в конце. ", ""},
        {"счёт\u202Efdp.exe", ".exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stored = StoredFileName(kSent, "1a2b3c4d", c.name);
        EXPECT_EQ(stored.substr(0, 33), "2024-01-31 13-05-07-042 1a2b3c4d ");
        EXPECT_LE(stored.size(), kMaxStoredNameBytes);
        EXPECT_TRUE(outside::IsValidUtf8(stored));
        EXPECT_TRUE(stored.find_first_of("<>:\"/\\|?*") == std::string::npos && stored.back() != '.' &&
                    stored.back() != ' ')
            << stored;
        EXPECT_EQ(stored.find("\u202E"), std::string::npos) << "no mark can turn the extension around";
        if (!c.extension.empty()) {
            EXPECT_EQ(stored.substr(stored.size() - c.extension.size()), c.extension);
        }
        EXPECT_TRUE(IsStoredFileName(stored));

        for (const std::string& comment : {std::string(), std::string("вот он\r\nсмотри")}) {
            const FileMessage message{{c.name, 1234567, stored}, comment};
            const std::string text = FileMessageText(message);
            EXPECT_EQ(text.substr(0, text.find("\r\n")), "Файл: " + c.name + " (1" + kNbsp + "234" + kNbsp + "567 байт)");
            EXPECT_EQ(ParseFileMessage(text), message) << text;
            // Line breaks as other tools write them.
            std::string unix = text;
            for (size_t at = unix.find("\r\n"); at != std::string::npos; at = unix.find("\r\n", at)) unix.erase(at, 1);
            const std::optional<FileMessage> fromUnix = ParseFileMessage(unix);
            ASSERT_TRUE(fromUnix.has_value());
            EXPECT_EQ(fromUnix->file, message.file);
        }
    }
}

TEST(FileMessageForm, AMessageThatOnlyLooksLikeOneIsNotTakenForAFile) {
    const std::string stored = StoredFileName(kSent, "1a2b3c4d", "счёт.pdf");
    const std::string path = "Файлы/" + stored;
    const std::string size = "(12" + kNbsp + "345 байт)";
    ASSERT_TRUE(ParseFileMessage("Файл: счёт.pdf " + size + "\r\n" + path)) << "the genuine form, for contrast";
    const std::string looksLike[] = {
        "Файл: счёт.pdf " + size,                                           // no path
        "Файл: отчёт готов\r\n" + path,                                     // no size
        "файл: счёт.pdf " + size + "\r\n" + path,                           // another letter case
        "Файл: счёт.pdf (12 345 байт)\r\n" + path,                          // typed by hand: a plain blank
        "Файл: счёт.pdf (12345 байт)\r\n" + path,                           // not grouped
        "Файл: счёт.pdf (12" + kNbsp + "345 байтов)\r\n" + path,            // another word
        "Файл: счёт.pdf (12,1 КБ)\r\n" + path,                              // the size as the pane shows it
        "Файл: счёт.pdf (99999999999999999999999 байт)\r\n" + path,         // beyond any size
        "Файл:  " + size + "\r\n" + path,                                   // no name
        "Файл: счёт.pdf " + size + "\r\nФайлы\\" + stored,                  // another separator
        "Файл: счёт.pdf " + size + "\r\nФайлы/" + StoredFileName(kSent, "1a2b3c4d", "вирус.exe"),
        "Файл: счёт.pdf " + size + "\r\nФайлы/../" + stored,                // out of the folder
        "Файл: счёт.pdf " + size + "\r\nФайлы/2024-01-31 13-05-07-042 1A2B3C4D счёт.pdf",  // upper-case hex
        "Файл: ../../счёт.pdf " + size + "\r\nФайлы/" + StoredFileName(kSent, "1a2b3c4d", "../../счёт.pdf") + "/x",
    };
    for (const std::string& text : looksLike) EXPECT_FALSE(ParseFileMessage(text).has_value()) << text;
}

TEST(FileMessageForm, SizesAndLinkTargets) {
    EXPECT_EQ(FormatExactSize(0), "0 байт");
    EXPECT_EQ(FormatExactSize(UINT64_MAX), "18" + kNbsp + "446" + kNbsp + "744" + kNbsp + "073" + kNbsp + "709" + kNbsp +
                                               "551" + kNbsp + "615 байт");

    const FileReference file{"", UINT64_MAX, StoredFileName(kSent, "1a2b3c4d", "фото.jpg")};
    EXPECT_EQ(ParseLinkTarget(LinkTarget(file)), file);
    for (const std::string& target : {std::string("5"), "x " + file.storedName, "5 ../" + file.storedName,
                                      "18446744073709551616 " + file.storedName})
        EXPECT_FALSE(ParseLinkTarget(target).has_value()) << target;
}

TEST(FileMessageForm, ProgramsAndScriptsAreKnownWhateverTheirLetterCase) {
    for (const char* name : {"setup.exe", "SETUP.EXE", "run.bat", "x.Cmd", "script.js", "link.lnk", "a.ps1", "b.msi",
                             "c.scr", "d.vbs", "e.hta", "f.reg", "g.exe.", "h.exe ", "отчёт.pdf.exe"})
        EXPECT_TRUE(IsRunnableFileName(name)) << name;
    for (const char* name : {"отчёт.pdf", "photo.jpg", "archive.tar.gz", "noext", "exe", ".exe.txt", "x.exec", ""})
        EXPECT_FALSE(IsRunnableFileName(name)) << name;
}

namespace {

class FileSendingTest : public testsupport::ChatFixture {
protected:
    std::string FilesFolder() const { return chat / kFilesFolderName; }
    testsupport::TempDir source;
};

}  // namespace

TEST_F(FileSendingTest, TheCopyIsByteIdenticalAndTheMessageNamesIt) {
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) bytes += static_cast<char>(i * 7 % 256);
    const std::string name = "данные <№ 5> & \"копия\" 😀.bin";  // the form survives the XML escapes too
    WriteRaw(source / name, bytes);
    for (const bool xml : {true, false}) {
        SCOPED_TRACE(xml);
        modSettings::SendXMLMessages = xml;
        testsupport::RecordingDisplay host;
        std::string written;
        ASSERT_EQ(SendFileMessage(Chat(), source / name, "a < b & c", host, {}, &written), SendOutcome::Sent);
        EXPECT_TRUE(host.lines.empty());
        EXPECT_EQ(outside::esGetFileExtension(written), xml ? "ZXMF" : "ZPMF");
        const std::vector<std::string> shown = Shown(OnePass());  // read back as a pass reads it
        ASSERT_EQ(shown.size(), 1u);
        const std::optional<FileMessage> message = ParseFileMessage(shown[0]);
        ASSERT_TRUE(message.has_value()) << shown[0];
        EXPECT_EQ(*message, (FileMessage{{name, bytes.size(), message->file.storedName}, "a < b & c"}));
        EXPECT_EQ(testsupport::ReadRaw(AttachmentPath(chat.path(), message->file.storedName)), bytes);
        const std::vector<std::string> copies = testsupport::FolderNames(FilesFolder());
        EXPECT_EQ(copies.size(), xml ? 1u : 2u) << "no temporary is left";
        EXPECT_EQ(std::count(copies.begin(), copies.end(), message->file.storedName), 1);
        EXPECT_EQ(StateOfAttachment(chat.path(), message->file), AttachmentState::Arrived);
    }
}

TEST_F(FileSendingTest, ALargeFileAsksAndWhatCannotBeReadSendsNothing) {
    const std::string large = source / "большой.iso";
    {
        std::ofstream out(std::filesystem::u8path(large), std::ios::binary);
        out.seekp(static_cast<std::streamoff>(kLargeFileBytes));
        out.put('x');
    }
    std::filesystem::create_directory(std::filesystem::u8path(source / "папка"));
    struct Case {
        std::string path;
        bool answer;
        SendOutcome outcome;
        std::string notice;  // the start of the system line, if any
        int asked;
    } cases[] = {
        {large, false, SendOutcome::NothingToSend, "", 1},
        {source / "нет такого.txt", true, SendOutcome::Failed, "Не удалось отправить файл.\r\nОшибка ", 0},
        {source / "папка", true, SendOutcome::Failed, "Не удалось отправить файл.\r\nОшибка 75: Это папка", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        testsupport::RecordingDisplay host;
        int asked = 0;
        const auto confirm = [&](const std::string& name, uint64_t size) {
            ++asked;
            EXPECT_EQ(name, "большой.iso");
            EXPECT_EQ(size, kLargeFileBytes + 1);
            return c.answer;
        };
        EXPECT_EQ(SendFileMessage(Chat(), c.path, "", host, confirm), c.outcome);
        EXPECT_EQ(asked, c.asked);
        const auto notices = host.Texts({MessageKind::System});
        if (c.notice.empty()) {
            EXPECT_TRUE(notices.empty());
        } else {
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_EQ(notices[0].substr(0, c.notice.size()), c.notice);
            EXPECT_EQ(notices[0].substr(notices[0].size() - c.path.size()), c.path) << "the file is named";
        }
        EXPECT_TRUE(outside::ListPlainFiles(chat.path(), kBinaryExtension).empty());
        EXPECT_TRUE(testsupport::FolderNames(FilesFolder()).empty()) << "no copy is left";
    }
}

TEST_F(FileSendingTest, WhetherTheCopyHasArrived) {
    const FileReference file{"a.txt", 5, StoredFileName(kSent, "1a2b3c4d", "a.txt")};
    const std::string path = AttachmentPath(chat.path(), file.storedName);
    EXPECT_EQ(StateOfAttachment(chat.path(), file), AttachmentState::Missing);
    std::filesystem::create_directories(std::filesystem::u8path(path));
    EXPECT_EQ(StateOfAttachment(chat.path(), file), AttachmentState::Missing) << "a folder is no file";
    std::filesystem::remove(std::filesystem::u8path(path));
    WriteRaw(path, "abc");
    EXPECT_EQ(StateOfAttachment(chat.path(), file), AttachmentState::Arriving) << "not all of it yet";
    WriteRaw(path, "abcde");
    WriteRaw(path + ".!sync", "");
    EXPECT_EQ(StateOfAttachment(chat.path(), file), AttachmentState::Arriving) << "the sync service is at it";
    outside::RemoveFile(path + ".!sync");
    EXPECT_EQ(StateOfAttachment(chat.path(), file), AttachmentState::Arrived);
}

TEST_F(FileSendingTest, APassNeverReadsHidesOrDeletesTheFilesFolder) {
    // A message file in the files folder (a copy of one, or a file someone sent
    // that happens to be one) is a file like any other there.
    const std::string inFiles = FilesFolder() + "/2024-01-31 13-05-07-042 {X}.ZPMF";
    const std::string copy = AttachmentPath(chat.path(), StoredFileName(kSent, "1a2b3c4d", "фото.jpg"));
    std::filesystem::create_directories(std::filesystem::u8path(FilesFolder()));
    WriteRaw(inFiles, BuildBinaryRecord(kSent, "Вова", "из папки файлов", "{OTHER}"));
    WriteRaw(copy, "jpeg");
    struct Case {
        bool shared, deleteFiles;
    } cases[] = {{false, false}, {false, true}, {true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.shared) + std::to_string(c.deleteFiles));
        modSettings::SharedFolder = c.shared;
        modSettings::DeleteMessageFiles = c.deleteFiles;
        const std::string message = chat / ("2024-01-31 13-05-0" + std::to_string(&c - cases) + "-000 {M}.ZPMF");
        testsupport::WriteAged(message, BuildBinaryRecord(kSent, "Вова", "в папке чата " + message, "{OTHER}"), 100000);
        EXPECT_EQ(OnePass().Texts({MessageKind::Other}), std::vector<std::string>{"в папке чата " + message});
        for (const std::string& kept : {inFiles, copy}) {
            EXPECT_TRUE(outside::esIsFileExist(kept)) << kept;
            EXPECT_FALSE(outside::IsFileHidden(kept)) << kept;
        }
    }
}
