// The dispatch pass over a real folder: what is listed, in which order, what
// happens to each file afterwards, progress, overflow and re-entry.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ChatFixture.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/UpdatePoller.h"
#include "app/exchange/posix/CInotifyWatcher.h"
#include "outside/Folder.h"
#include "outside/Sorter.h"
#include "support/RecordingHost.h"

using namespace exchange;
using testsupport::AsDisplay;
using testsupport::OnePass;
using testsupport::RecordingHost;
using testsupport::Shown;
using testsupport::WriteAged;
using testsupport::WriteRaw;
using Lines = std::vector<std::string>;

namespace {

constexpr int kLongAgo = 100000000;
constexpr outside::DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};
constexpr outside::DateTimeRecord kYear2000{2000, 1, 6, 1, 12, 0, 0, 0};

std::string Record(const std::string& text, const std::string& guid = "{OTHER}",
                   const outside::DateTimeRecord& sent = kSent) {
    return BuildBinaryRecord(sent, "Вова", text, guid);
}

// The time now less days, as the UTC record a message carries.
outside::DateTimeRecord DaysAgo(int days) {
    using namespace std::chrono;
    const auto time = floor<milliseconds>(system_clock::now()) - std::chrono::days{days};
    const auto day = floor<std::chrono::days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    const auto u16 = [](auto value) { return static_cast<uint16_t>(value); };
    return {u16(int{date.year()}),       u16(unsigned{date.month()}),  u16(weekday{day}.c_encoding()),
            u16(unsigned{date.day()}),   u16(clock.hours().count()),   u16(clock.minutes().count()),
            u16(clock.seconds().count()), u16(clock.subseconds().count())};
}

// A debug line of the pass: the operation, its notice and the file.
std::string Notice(const std::string& operation, const std::string& text, const std::string& path) {
    return operation + "() ==> " + text + "\r\n" + path;
}

class DispatchTest : public testsupport::ChatFixture {
protected:
    // count old message files named prefix1000, prefix1001, ... with distinct texts.
    void WriteMessages(const std::string& prefix, int count) {
        for (int i = 0; i < count; ++i)
            WriteAged(chat / (prefix + std::to_string(1000 + i) + ".ZPMF"), Record(prefix + std::to_string(i)), kLongAgo);
    }
};

}  // namespace

TEST_F(DispatchTest, ListsVisiblePlainMessageFilesInSendingOrder) {
    WriteRaw(chat / "readme.txt", "not a message");
    const RecordingHost empty = OnePass();
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_TRUE(empty.captions.empty()) << "an empty pass leaves the title alone";

    WriteAged(chat / "2024-01-31 13-05-07-042 {B}.ZPMF", Record("третье"), kLongAgo);
    WriteAged(chat / "2024-01-31 13-05-07-041 {A}.zxmf", "", kLongAgo);  // lower-case extension still counts
    WriteAged(chat / "2023-12-31 23-59-59-999 {Z}.ZPMF", Record("первое"), kLongAgo);
    WriteAged(chat / "note.ZTMF", "записка", kLongAgo);
    WriteAged(chat / "hidden.ZPMF", Record("скрытое"), kLongAgo);
    ASSERT_TRUE(outside::HideFile(chat / "hidden.ZPMF"));
    std::filesystem::create_directory(std::filesystem::u8path(chat / "folder.ZPMF"));

    RecordingHost host;
    std::vector<std::string> files;
    MessageDispatcher dispatcher(host);
    for (const char* ext : {kBinaryExtension, kXmlExtension, kTextExtension}) dispatcher.ListMessageFiles(ext, files);
    outside::Sorter().Sort(files);
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(outside::esGetFileName(f));
    EXPECT_EQ(names, (Lines{"2023-12-31 23-59-59-999 {Z}.ZPMF", "2024-01-31 13-05-07-041 {A}.zxmf",
                            "2024-01-31 13-05-07-042 {B}.ZPMF", "note.ZTMF"}));

    modSettings::ShowDebugMessages = true;
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(host.Texts({MessageKind::Other}), (Lines{"первое", "третье", "записка"}));
    EXPECT_TRUE(outside::esIsFileExist(chat / "hidden.ZPMF")) << "a hidden file is never read";
    // A name of no known kind is let go, not retried for ever.
    const std::string unknown = chat / "x.ZQQF";
    EXPECT_EQ(dispatcher.DispatchMessage(unknown), DispatchResult::Processed);
    EXPECT_EQ(host.Texts({MessageKind::Debug}).back(),
              Notice("DispatchMessage", "Непонятное расширение файла. Игнорируем.", unknown));
}

TEST_F(DispatchTest, CleanUpFollowsTheChatSettings) {
    struct Case {
        bool deleteFiles, hideBroken;
        bool goodDeleted, brokenDeleted;
        std::string brokenNotice;
    } cases[] = {
        {false, false, false, false, "Файл оказался ошибочным. Он был скрыт."},
        {false, true, false, false, "Файл оказался ошибочным. Он был скрыт."},
        {true, true, true, false, "Файл оказался ошибочным. Он был скрыт."},
        {true, false, true, true, "Файл оказался ошибочным. Он был удалён."},
    };
    modSettings::ShowDebugMessages = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.deleteFiles) + std::to_string(c.hideBroken));
        modSettings::DeleteMessageFiles = c.deleteFiles;
        modSettings::HideBrokenMessageFiles = c.hideBroken;
        const std::string good = chat / "2024-01-01 00-00-00-000 {G}.ZPMF";
        const std::string broken = chat / "2024-01-01 00-00-00-001 {B}.ZPMF";
        WriteAged(good, Record("хорошее " + std::to_string(&c - cases)), kLongAgo);  // a new message each time
        WriteAged(broken, "2024\0" "1", kLongAgo);
        const RecordingHost host = OnePass();
        EXPECT_EQ(!outside::esIsFileExist(good), c.goodDeleted);
        EXPECT_EQ(!outside::esIsFileExist(broken), c.brokenDeleted);
        EXPECT_TRUE(c.goodDeleted || outside::IsFileHidden(good));
        EXPECT_TRUE(c.brokenDeleted || outside::IsFileHidden(broken));
        EXPECT_EQ(host.Texts({MessageKind::Debug}), Lines{Notice("DispatchAllMessages", c.brokenNotice, broken)});
        EXPECT_EQ(host.Texts({MessageKind::System}).size(), 1u) << "the reader's own notice";
        outside::RemoveFile(good);
        outside::RemoveFile(broken);
    }
}

TEST_F(DispatchTest, FailedDeletesFallBackToHidingAndStuckFilesAreNotShownAgain) {
    modSettings::DeleteMessageFiles = true;
    modSettings::HideBrokenMessageFiles = false;
    modSettings::ShowDebugMessages = true;
    const std::string good = chat / "a.ZPMF";
    const std::string broken = chat / "b.ZPMF";
    WriteAged(good, Record("один раз"), kLongAgo);
    WriteAged(broken, "junk", kLongAgo);
    RecordingHost host;
    std::vector<std::string> hidden;
    const auto noDelete = [](const std::string&) { return false; };
    MessageDispatcher(host, {noDelete, [&](const std::string& p) {
                                 hidden.push_back(p);
                                 return true;
                             }})
        .DispatchAllMessages();
    EXPECT_EQ(hidden, (Lines{good, broken}));
    const std::string notHidden = "но его удалить не удалось. Он был скрыт.";
    EXPECT_EQ(host.Texts({MessageKind::Debug}),
              (Lines{Notice("DispatchAllMessages", "Файл успешно обработан, " + notHidden, good),
                     Notice("DispatchAllMessages", "Файл оказался ошибочным, " + notHidden, broken)}));

    // Neither deleted nor hidden: still in the folder, but not shown a second time.
    WriteAged(chat / "c.ZPMF", Record("застрял"), kLongAgo);
    RecordingHost second;
    MessageDispatcher stuck(second, {noDelete, noDelete});
    stuck.DispatchAllMessages();
    stuck.DispatchAllMessages();
    // "один раз" was shown by the first run, whose hiding counted as done: the ledger keeps it out.
    EXPECT_EQ(second.Texts({MessageKind::Other}), Lines{"застрял"});
}

TEST_F(DispatchTest, AWaitingFileIsLeftAloneAndSaysWhyOnceAndAgainWhenTheReasonChanges) {
    modSettings::ShowDebugMessages = true;
    const std::string path = chat / "later.ZPMF";
    WriteRaw(path, "2024\0" "1");  // just written and not whole yet: a sync service may still be filling it
    WriteRaw(path + ".!sync", "");
    RecordingHost host;
    MessageDispatcher dispatcher(host);
    const std::string syncing = Notice("DispatchMessage", "Файл ещё синхронизируется. Пока пропускаем.", path);
    const std::string young =
        Notice("DispatchMessage", "Файл не разобран, но он только что записан. Пока пропускаем.", path);
    const auto passes = [&](const Lines& said) {
        for (int pass = 0; pass < 3; ++pass) EXPECT_EQ(dispatcher.DispatchAllMessages().retried, 1);
        EXPECT_EQ(host.Texts({MessageKind::Debug}), said);
        EXPECT_TRUE(outside::esIsFileExist(path) && !outside::IsFileHidden(path));
    };
    passes({syncing});
    outside::RemoveFile(path + ".!sync");
    passes({syncing, young});
    EXPECT_TRUE(host.Texts({MessageKind::System}).empty()) << "no broken notice while young";
    WriteRaw(path + ".!sync", "");
    passes({syncing, young, syncing});
    // Old and its marker gone: broken at last.
    outside::RemoveFile(path + ".!sync");
    WriteAged(path, "2024\0" "1", kLongAgo);
    EXPECT_EQ(dispatcher.DispatchAllMessages().broken, 1);
    EXPECT_EQ(host.Texts({MessageKind::System}).size(), 1u);
}

TEST_F(DispatchTest, ProgressCaptionOnlyForMoreThanTenFiles) {
    for (int count : {10, 11}) {
        SCOPED_TRACE(count);
        WriteMessages(std::to_string(count) + "-", count);
        const RecordingHost host = OnePass();
        const std::string plain = "Беседа.ZPMFChat \u2013 Quillet";
        std::vector<std::string> expected;
        if (count > 10)
            for (int i = 1; i <= count; ++i)
                expected.push_back(plain + " :: Сообщение " + std::to_string(i) + " из " + std::to_string(count));
        expected.push_back(plain);
        EXPECT_EQ(host.captions, expected);
        EXPECT_EQ(host.pumps, count) << "the loop runs once after every file";
    }
}

TEST_F(DispatchTest, OverflowSavesAndClearsBeforeEvery301stFile) {
    modSettings::ClearScrollbackOnOverflow = true;
    WriteMessages("m", 601);
    const RecordingHost host = OnePass();
    std::vector<size_t> resets;
    for (const auto& save : host.saves) {
        EXPECT_TRUE(save.silent);
        if (save.resetName) resets.push_back(save.linesBefore);
    }
    EXPECT_EQ(resets, (std::vector<size_t>{300, 601})) << "before the 301st file, then 300 more and the first notice";
    EXPECT_EQ(host.clears, 2);
    const std::string notice = "Получено 300 входящих сообщений. Сообщения очищены, но сохранились в истории.";
    EXPECT_EQ(host.Texts({MessageKind::System}), (Lines{notice, notice}));

    // A failed save clears nothing; switched off, nothing is saved.
    WriteMessages("n", 301);
    RecordingHost failing;
    failing.saveWorks = false;
    MessageDispatcher(failing).DispatchAllMessages();
    EXPECT_EQ(failing.ResetSaves(), 1u);
    EXPECT_EQ(failing.clears, 0);
    modSettings::ClearScrollbackOnOverflow = false;
    WriteMessages("o", 301);
    EXPECT_EQ(OnePass().ResetSaves(), 0u);
}

TEST_F(DispatchTest, AFileGoesOnlyAfterTheLogHoldsItsMessage) {
    const size_t count = 2 * kRemovalBatchFiles + 7;
    WriteMessages("m", static_cast<int>(count));
    RecordingHost host;
    size_t removed = 0;
    MessageDispatcher dispatcher(host, {[](const std::string&) { return false; },
                                        [&](const std::string& path) {
                                            const std::string name = outside::esGetFileName(path);
                                            const auto line = std::find_if(host.lines.begin(), host.lines.end(),
                                                                           [&](const auto& l) { return l.fileName == name; });
                                            EXPECT_LT(static_cast<size_t>(line - host.lines.begin()), host.loggedLines)
                                                << name << " goes before the log holds it";
                                            ++removed;
                                            return outside::HideFile(path);
                                        }});
    size_t mostAtRisk = 0;  // shown, not yet removed: what a kill would show once more
    host.onPump = [&] { mostAtRisk = std::max(mostAtRisk, host.Texts({MessageKind::Other}).size() - removed); };
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(removed, count);
    EXPECT_LE(mostAtRisk, static_cast<size_t>(kRemovalBatchFiles));
    EXPECT_GT(mostAtRisk, 1u) << "removed in batches, not one by one";

    // While the log cannot be written nothing goes, nothing is shown twice, and the save is tried
    // again once per batch of files or per quarter of a second and at the end of the pass, not after every file.
    const size_t held = 4 * kRemovalBatchFiles, savesBefore = host.saves.size();
    WriteMessages("n", static_cast<int>(held));
    host.saveWorks = false;
    const auto start = std::chrono::steady_clock::now();
    dispatcher.DispatchAllMessages();
    const auto periods = static_cast<size_t>((std::chrono::steady_clock::now() - start) / kRemovalBatchTime);
    EXPECT_LE(host.saves.size() - savesBefore, held / kRemovalBatchFiles + periods + 1);
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(removed, count);
    EXPECT_EQ(dispatcher.FilesAwaitingRemoval(), held);
    EXPECT_EQ(host.Texts({MessageKind::Other}).size(), count + held);
    host.saveWorks = true;
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(removed, count + held);
    EXPECT_EQ(host.Texts({MessageKind::Other}).size(), count + held);
}

TEST_F(DispatchTest, APassNeverNestsAndOneLeftByAnErrorStillEndsItsWork) {
    WriteMessages("m", 4);
    RecordingHost host;
    MessageDispatcher dispatcher(host);
    int nested = 0;
    host.onPump = [&] {
        EXPECT_TRUE(dispatcher.InPass());
        nested += dispatcher.DispatchAllMessages().files;
    };
    host.onDisplay = [&] {
        if (host.lines.size() == 2) throw std::runtime_error("сбой посреди прохода");
    };
    EXPECT_THROW(dispatcher.DispatchAllMessages(), std::runtime_error);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(host.pumps, 2);
    EXPECT_FALSE(dispatcher.InPass());
    EXPECT_EQ(host.captions, Lines{"Беседа.ZPMFChat \u2013 Quillet"});
    EXPECT_EQ(host.passesFinished, 1);
    EXPECT_TRUE(outside::IsFileHidden(chat / "m1001.ZPMF")) << "read and saved before the error: removed";
    EXPECT_FALSE(outside::IsFileHidden(chat / "m1002.ZPMF"));
}

TEST_F(DispatchTest, WhatAFailedSaveHeldBackIsRecordedByTheNextEmptyPassAndAtClose) {
    struct Case {
        const char* when;
        std::function<void(MessageDispatcher&, RecordingHost&)> then;
    } cases[] = {
        {"a later pass with nothing new", [](MessageDispatcher& d, RecordingHost&) { d.DispatchAllMessages(); }},
        {"the chat closes", [](MessageDispatcher& d, RecordingHost& h) {
             CInotifyWatcher watcher;
             UpdatePoller poller(watcher, d, AsDisplay(h));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        const std::string text = std::string("сначала не сохранилось: ") + c.when;
        const std::string path = chat / ("2024-01-31 13-05-07-042 {" + std::to_string(&c - cases) + "}.ZPMF");
        WriteAged(path, Record(text), kLongAgo);
        RecordingHost host;
        host.saveWorks = false;
        MessageDispatcher dispatcher(host);
        dispatcher.DispatchAllMessages();
        ASSERT_EQ(Shown(host), Lines{text});
        ASSERT_FALSE(outside::IsFileHidden(path)) << "the log does not hold it yet";
        host.saveWorks = true;
        c.then(dispatcher, host);
        // As a kill right now would leave it: the file hidden and its message in the ledger on the disk.
        EXPECT_TRUE(outside::IsFileHidden(path));
        MessageLedger onDisk(outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName));
        EXPECT_TRUE(onDisk.Seen(MessageLedger::Identity("{OTHER}", {2024, 1, 0, 31, 13, 5, 7, 42}, text)));
    }
}

TEST_F(DispatchTest, SharedFolderTouchesNobodysFileAndReadsOnlyNewOnes) {
    modSettings::SharedFolder = true;
    modSettings::HideBrokenMessageFiles = false;
    for (const bool deleteFiles : {false, true}) {
        SCOPED_TRACE(deleteFiles ? "deleting on" : "deleting off");
        for (const auto& entry : std::filesystem::directory_iterator(chat.path()))
            if (entry.path().extension() != ".ZPMFChat") std::filesystem::remove(entry.path());
        std::filesystem::remove_all(std::filesystem::u8path(modSettings::LogsFolder));
        modSettings::DeleteMessageFiles = deleteFiles;
        const std::string other = chat / "2024-01-01 00-00-00-001 {O}.ZPMF";
        const std::string own = chat / "2024-01-01 00-00-00-002 {M}.ZXMF";
        const std::string hidden = chat / "2024-01-01 00-00-00-003 {H}.ZPMF";
        const std::string broken = chat / "2024-01-01 00-00-00-004 {B}.ZPMF";
        const std::string syncing = chat / "2024-01-01 00-00-00-005 {S}.ZPMF";
        const std::string note = chat / "записка.ZTMF";
        WriteAged(other, Record("чужое"), kLongAgo);
        std::string step;
        WriteXmlMessage(own, outside::esGetSystemTime(), "Я", modSettings::ClientGuid, "своё", step);
        WriteAged(hidden, Record("спрятано другим"), kLongAgo);
        ASSERT_TRUE(outside::HideFile(hidden));  // by a client in the ordinary mode
        WriteAged(broken, "junk", kLongAgo);
        WriteAged(syncing, Record("догрузилось"), kLongAgo);
        WriteRaw(syncing + ".!sync", "");
        WriteAged(note, "записка", kLongAgo);

        RecordingHost host;
        MessageDispatcher dispatcher(host);
        dispatcher.DispatchAllMessages();
        EXPECT_EQ(Shown(host), (Lines{"чужое", "своё", "спрятано другим", "записка"}));
        EXPECT_EQ(host.Texts({MessageKind::System}).size(), 1u) << "the broken file, once";
        for (const std::string& path : {other, own, hidden, broken, syncing, note}) {
            EXPECT_TRUE(outside::esIsFileExist(path)) << path;
            EXPECT_EQ(outside::IsFileHidden(path), path == hidden) << path;
        }
        // A pass that read the file again would show this.
        WriteAged(other, Record("подменено"), kLongAgo);
        dispatcher.DispatchAllMessages();
        outside::RemoveFile(syncing + ".!sync");
        dispatcher.DispatchAllMessages();
        EXPECT_EQ(Shown(host), (Lines{"чужое", "своё", "спрятано другим", "записка", "догрузилось"}));

        // After a restart nothing shows twice and nothing is told twice; only a new file is read.
        WriteAged(chat / "2024-01-01 00-00-00-006 {N}.ZPMF", Record("новое"), kLongAgo);
        EXPECT_EQ(OnePass().Texts({MessageKind::Other, MessageKind::Mine, MessageKind::System}), Lines{"новое"});
    }
}

TEST_F(DispatchTest, OwnFilesGoAfterTheRetentionOthersAsTheModeSays) {
    struct Case {
        const char* mode;
        bool shared, deleteFiles;
        bool otherDeleted, freshOwnHidden;
    } cases[] = {
        {"shared folder", true, false, false, false},
        {"shared folder, deleting on", true, true, false, false},
        // Over a sync service one's own file must live until the service has carried it.
        {"deleting on", false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        modSettings::SharedFolder = c.shared;
        modSettings::DeleteMessageFiles = c.deleteFiles;
        const std::string tag = std::to_string(&c - cases);
        const std::string oldOwn = chat / ("2000-01-01 12-00-00-000 {" + tag + "}.ZPMF");
        const std::string freshOwn = chat / ("2099-01-01 00-00-00-000 {" + tag + "}.ZPMF");
        const std::string oldOther = chat / ("2000-01-01 12-00-00-001 {" + tag + "}.ZPMF");
        WriteAged(oldOwn, Record("старое своё " + tag, modSettings::ClientGuid, DaysAgo(31)), kLongAgo);
        WriteAged(freshOwn, Record("новое своё " + tag, modSettings::ClientGuid, DaysAgo(29)), kLongAgo);
        WriteAged(oldOther, Record("старое чужое " + tag, "{OTHER}", kYear2000), kLongAgo);
        const RecordingHost host = OnePass();
        // One's own files are told apart from the others' by the client's GUID.
        EXPECT_EQ(host.Texts({MessageKind::Mine}), (Lines{"старое своё " + tag, "новое своё " + tag}));
        EXPECT_EQ(host.Texts({MessageKind::Other}), Lines{"старое чужое " + tag});
        EXPECT_FALSE(outside::esIsFileExist(oldOwn)) << "older than 30 days";
        EXPECT_TRUE(outside::esIsFileExist(freshOwn));
        EXPECT_EQ(outside::IsFileHidden(freshOwn), c.freshOwnHidden);
        EXPECT_EQ(!outside::esIsFileExist(oldOther), c.otherDeleted);
        EXPECT_TRUE(Shown(OnePass()).empty()) << "nothing twice after a restart";
        outside::RemoveFile(freshOwn);
        outside::RemoveFile(oldOther);
    }
}

TEST_F(DispatchTest, AClientInTheOrdinaryModeIsToldOnceOfTheSharedFolderMode) {
    const std::string first = modSettings::ClientGuid;
    const std::string marker = chat / SharedMarkerName(first);
    modSettings::SharedFolder = true;
    OnePass();
    ASSERT_TRUE(outside::esIsFileExist(marker)) << "kept by a client in the shared-folder mode";
    modSettings::SharedFolder = false;
    modSettings::ClientGuid = "{22222222-2222-2222-2222-222222222222}";
    RecordingHost other;
    MessageDispatcher dispatcher(other);
    for (int pass = 0; pass < 3; ++pass) dispatcher.DispatchAllMessages();
    EXPECT_EQ(other.Texts({MessageKind::System}), Lines{SharedFolderInUseNotice()});
    // The first client back in the ordinary mode takes its marker away.
    modSettings::ClientGuid = first;
    EXPECT_TRUE(OnePass().Texts({MessageKind::System}).empty());
    EXPECT_FALSE(outside::esIsFileExist(marker));
}
