// Never the same message twice: sync services' copies and files back visible show nothing new.
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChatFixture.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/ProcessedFiles.h"
#include "app/exchange/MessageFiles.h"
#include "outside/Folder.h"
#include "support/RecordingHost.h"

using namespace exchange;
using namespace testsupport;

namespace {

constexpr outside::DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
const std::string kName = "2024-01-31 13-05-07-042 {5D7A}";

// The names under which services bring the same file back.
const char* const kCopies[] = {
    " (conflicted copy 2024-02-01).ZPMF",             // Dropbox
    " (conflicted copy 2024-02-01 120000).ZPMF",      // Nextcloud
    ".sync-conflict-20240201-120000-ABCDEF7.ZPMF",    // Syncthing
    "-LAPTOP-ANNA.ZPMF",                              // OneDrive
};

constexpr int kLongAgo = 100000000;

void WriteXml(const std::string& path, const std::string& text) {
    std::string step;
    WriteXmlMessage(path, kSent, "Анна", "{OTHER}", text, step);
}

class LedgerTest : public testsupport::ChatFixture {};

TEST_F(LedgerTest, CopiesUnderEveryServicesNameShowNothingNew) {
    const std::string record = BuildBinaryRecord(kSent, "Анна", "один раз", "{OTHER}");
    WriteAged(chat / (kName + ".ZPMF"), record, kLongAgo);
    for (const char* copy : kCopies) WriteAged(chat / (kName + copy), record, kLongAgo);
    WriteXml(chat / (kName + ".ZXMF"), "в XML тоже");
    WriteXml(chat / (kName + " (conflicted copy 2024-02-01).ZXMF"), "в XML тоже");
    // Plain text carries no identity: two notes with one text are two notes.
    WriteAged(chat / "note.ZTMF", "записка", kLongAgo);
    WriteAged(chat / "note (conflicted copy 2024-02-01).ZTMF", "записка", kLongAgo);
    std::vector<std::string> shown = Shown(OnePass());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"в XML тоже", "записка", "записка", "один раз"}));
    for (const char* copy : kCopies) EXPECT_TRUE(outside::IsFileHidden(chat / (kName + copy))) << copy;
}

TEST_F(LedgerTest, AFileBackFromAResyncOrACopyAfterARestartShowsNothingNew) {
    const std::string original = chat / (kName + ".ZPMF");
    const std::string record = BuildBinaryRecord(kSent, "Анна", "один раз", "{OTHER}");
    WriteAged(original, record, kLongAgo);
    {
        RecordingHost host;
        MessageDispatcher dispatcher(host);
        dispatcher.DispatchAllMessages();
        ASSERT_EQ(Shown(host).size(), 1u);
        ASSERT_TRUE(outside::IsFileHidden(original));
        ::removexattr(original.c_str(), "user.DOSATTRIB");  // a re-sync brings it back visible
        dispatcher.DispatchAllMessages();
        EXPECT_EQ(Shown(host).size(), 1u) << "the same run";
        EXPECT_TRUE(outside::IsFileHidden(original)) << "the copy is cleaned up";
    }
    ::removexattr(original.c_str(), "user.DOSATTRIB");
    WriteAged(chat / (kName + kCopies[2]), record, kLongAgo);
    // The same message written again by its sender (another time) is new.
    WriteAged(chat / "2024-01-31 13-05-08-000 {5D7B}.ZPMF",
             BuildBinaryRecord({2024, 1, 0, 31, 13, 5, 8, 0}, "Анна", "один раз", "{OTHER}"), kLongAgo);
    EXPECT_EQ(Shown(OnePass()), std::vector<std::string>{"один раз"}) << "after a restart only the new one";
}

TEST_F(LedgerTest, OnlySettledMessagesAreKeptAndTheLedgerStaysBounded) {
    const std::string file = logs / "ledger";
    {
        MessageLedger ledger(file, 3);
        for (int i = 0; i < 5; ++i) {
            const std::string id = MessageLedger::Identity("{G}", kSent, std::to_string(i));
            ledger.Remember(id, "m" + std::to_string(i));
            if (i != 4) ledger.Settle("m" + std::to_string(i));  // the last one's file is still visible
        }
        EXPECT_EQ(ledger.Size(), 3u);
        ASSERT_TRUE(ledger.Flush());
    }
    MessageLedger reloaded(file, 3);
    std::vector<bool> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(reloaded.Seen(MessageLedger::Identity("{G}", kSent, std::to_string(i))));
    EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, false}))
        << "the oldest are forgotten; an unsettled one never reaches the file (its file would show it again)";
    EXPECT_NE(MessageLedger::Identity("{G}", kSent, "ab"), MessageLedger::Identity("{G}a", kSent, "b"));
}

TEST_F(LedgerTest, ProcessedFilesKeepAnyNameAndOwnTimesEvenBefore1970InAJournalThatStaysSmall) {
    EXPECT_EQ(SecondsSinceEpoch({1970, 1, 4, 1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(SecondsSinceEpoch({2024, 2, 4, 29, 12, 30, 15, 999}), 1709209815);
    const std::string file = logs / "processed";
    const std::vector<std::string> names = {"2024-01-31 13-05-07-042 {A}.ZPMF", "Записка 100%.ZTMF",
                                            "line\nbreak.ZPMF", "tab\there.ZXMF", "%41.ZPMF"};
    const int64_t old = SecondsSinceEpoch({1969, 12, 3, 31, 23, 0, 0, 0});
    {
        ProcessedFiles list(file);
        ASSERT_TRUE(list.Load());
        for (const std::string& name : names) list.MarkProcessed(name);
        list.RememberOwn("own old.ZPMF", old);
        list.RememberOwn("own new.ZPMF", old + 40 * 24 * 60 * 60);
        ASSERT_TRUE(list.Save());
    }
    // Damaged lines are skipped; the last one, cut off by a write that did not finish, swallows no later name.
    WriteRaw(file, ReadRaw(file) + "P\nO 12\nO x y.ZPMF\nP bad%4.ZPMF\nanything\nP cut%2");
    ProcessedFiles reloaded(file);
    ASSERT_TRUE(reloaded.Load());
    for (const std::string& name : names) EXPECT_TRUE(reloaded.Contains(name)) << name;
    EXPECT_FALSE(reloaded.Contains("A.ZPMF"));
    EXPECT_EQ(reloaded.Size(), names.size() + 2);
    EXPECT_EQ(reloaded.OwnSentBefore(old + 30 * 24 * 60 * 60), std::vector<std::string>{"own old.ZPMF"});

    // A new name is added at the end: the file is not written anew for it.
    const size_t before = ReadRaw(file).size();
    reloaded.MarkProcessed("new.ZPMF");
    ASSERT_TRUE(reloaded.Save());
    EXPECT_EQ(ReadRaw(file).size(), before + std::string("\nP new.ZPMF\n").size());
    // Files gone from the folder are forgotten (own ones stay until deleted); once
    // forgotten names make up most of the file, it is written anew.
    for (int i = 0; i < 3000; ++i) reloaded.MarkProcessed("gone " + std::to_string(i) + ".ZPMF");
    ASSERT_TRUE(reloaded.Save());
    reloaded.KeepOnly({"new.ZPMF"});
    reloaded.ForgetOwn("own old.ZPMF");
    ASSERT_TRUE(reloaded.Save());
    ProcessedFiles compact(file);
    ASSERT_TRUE(compact.Load());
    EXPECT_EQ(compact.Size(), 2u);
    EXPECT_EQ(compact.OwnFiles(), 1u);
    EXPECT_LT(ReadRaw(file).size(), before);
}

TEST_F(LedgerTest, AListThatCannotBeReadIsToldOnceNeverReplacedAndJoinedOnceItCanBe) {
    modSettings::SharedFolder = true;  // both lists in use
    const std::string ledger = outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName);
    const std::string list = outside::esBuildFileName2(modSettings::LogsFolder, kProcessedFileName);
    const std::string first = chat / (kName + ".ZPMF");
    WriteAged(first, BuildBinaryRecord(kSent, "Анна", "до сбоя", "{OTHER}"), kLongAgo);
    ASSERT_EQ(Shown(OnePass()), std::vector<std::string>{"до сбоя"});
    // Both lists cannot be read for a while (here: something else stands at their names).
    for (const std::string& path : {ledger, list}) {
        std::filesystem::rename(path, path + ".aside");
        std::filesystem::create_directory(path);
    }
    const std::string second = chat / "2024-01-31 13-05-08-000 {5D7B}.ZPMF";
    WriteAged(second, BuildBinaryRecord(kSent, "Анна", "во время сбоя", "{OTHER}"), kLongAgo);
    RecordingHost host;
    MessageDispatcher dispatcher(host);
    dispatcher.DispatchAllMessages();
    dispatcher.DispatchAllMessages();
    const std::vector<std::string> told = host.Texts({MessageKind::System});
    ASSERT_EQ(told.size(), 2u) << "each list once";
    EXPECT_EQ(told[0].rfind("Не удалось прочитать список показанных сообщений.", 0), 0u) << told[0];
    EXPECT_NE(told[0].find(ledger), std::string::npos);
    EXPECT_EQ(told[1].rfind("Не удалось прочитать список обработанных файлов папки чата.", 0), 0u) << told[1];
    for (const std::string& path : {ledger, list}) EXPECT_TRUE(std::filesystem::is_directory(path)) << "not replaced";

    // Readable again: what they held and what this run added are one list.
    for (const std::string& path : {ledger, list}) {
        std::filesystem::remove(path);
        std::filesystem::rename(path + ".aside", path);
    }
    WriteAged(chat / (kName + kCopies[2]), BuildBinaryRecord(kSent, "Анна", "до сбоя", "{OTHER}"), kLongAgo);
    dispatcher.DispatchAllMessages();
    MessageLedger shown(ledger);
    EXPECT_TRUE(shown.Seen(MessageLedger::Identity("{OTHER}", kSent, "до сбоя")));
    EXPECT_TRUE(shown.Seen(MessageLedger::Identity("{OTHER}", kSent, "во время сбоя")));
    ProcessedFiles processed(list);
    ASSERT_TRUE(processed.Load());
    for (const std::string& path : {first, second}) EXPECT_TRUE(processed.Contains(outside::esGetFileName(path))) << path;
    EXPECT_EQ(host.Texts({MessageKind::System}).size(), 2u);
}

}  // namespace
