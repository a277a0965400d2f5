// The dispatch pass over a real folder: order, clean-up, progress, overflow and re-entry.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ChatFixture.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/UpdatePoller.h"
#include "app/exchange/posix/CInotifyWatcher.h"
#include "outside/Folder.h"
#include "support/RecordingHost.h"

using namespace exchange;
using outside::esIsFileExist;
using outside::IsFileHidden;
using namespace testsupport;
using Lines = std::vector<std::string>;

namespace {

constexpr int kLongAgo = 100000000;
constexpr outside::DateTimeRecord kSent{2024, 1, 0, 31, 13, 5, 7, 42};

std::string Record(const std::string& text, const std::string& guid = "{OTHER}",
                   const outside::DateTimeRecord& sent = kSent) {
    return BuildBinaryRecord(sent, "Вова", text, guid);
}

// The time now less years, as the UTC record a message carries.
outside::DateTimeRecord YearsAgo(int years) {
    outside::DateTimeRecord time = outside::esGetSystemTime();
    time.year = static_cast<uint16_t>(time.year - years);
    return time;
}

// A debug line of the pass: the operation, its notice and the file.
std::string Notice(const std::string& operation, const std::string& text, const std::string& path) {
    return operation + "() ==> " + text + "\r\n" + path;
}

class DispatchTest : public testsupport::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        modSettings::ShowDebugMessages = true;
    }
    // count old message files named prefix1000, prefix1001, ... with distinct texts.
    void WriteMessages(const std::string& prefix, int count) {
        for (int i = 0; i < count; ++i)
            WriteAged(chat / (prefix + std::to_string(1000 + i) + ".ZPMF"), Record(prefix + std::to_string(i)), kLongAgo);
    }
    void Write(const std::string& name, const std::string& bytes) { WriteAged(chat / name, bytes, kLongAgo); }
};

}  // namespace

TEST_F(DispatchTest, ListsVisiblePlainMessageFilesInSendingOrder) {
    WriteRaw(chat / "readme.txt", "not a message");
    EXPECT_TRUE(OnePass().captions.empty()) << "an empty pass leaves the title alone";
    Write("2024-01-31 13-05-07-042 {B}.ZPMF", Record("третье"));
    Write("2024-01-31 13-05-07-041 {A}.zxmf", "");  // lower-case extension still counts: broken
    Write("2023-12-31 23-59-59-999 {Z}.ZPMF", Record("первое"));
    Write("note.ZTMF", "записка");
    Write("hidden.ZPMF", Record("скрытое"));
    ASSERT_TRUE(outside::HideFile(chat / "hidden.ZPMF"));
    std::filesystem::create_directory(std::filesystem::u8path(chat / "folder.ZPMF"));
    RecordingHost host;
    MessageDispatcher dispatcher(host);
    EXPECT_EQ(dispatcher.DispatchAllMessages().files, 4) << "neither the hidden file nor the folder";
    EXPECT_EQ(host.Texts({MessageKind::Other}), (Lines{"первое", "третье", "записка"}));
    EXPECT_EQ(host.Texts({MessageKind::System}).size(), 1u) << "the .zxmf, read and broken";
    const std::string unknown = chat / "x.ZQQF";
    EXPECT_EQ(dispatcher.DispatchMessage(unknown), DispatchResult::Processed) << "let go, not retried for ever";
    EXPECT_EQ(host.Texts({MessageKind::Debug}).back(),
              Notice("DispatchMessage", "Непонятное расширение файла. Игнорируем.", unknown));
}

TEST_F(DispatchTest, CleanUpFollowsTheChatSettings) {
    const std::string hid = "Файл оказался ошибочным. Он был скрыт.";
    const struct {
        bool deleteFiles, hideBroken, goodDeleted, brokenDeleted;
        std::string brokenNotice;
    } cases[] = {
        {false, false, false, false, hid},
        {true, true, true, false, hid},
        {true, false, true, true, "Файл оказался ошибочным. Он был удалён."},
    };
    const std::string good = chat / "2024-01-01 00-00-00-000 {G}.ZPMF";
    const std::string broken = chat / "2024-01-01 00-00-00-001 {B}.ZPMF";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.deleteFiles) + std::to_string(c.hideBroken));
        modSettings::DeleteMessageFiles = c.deleteFiles;
        modSettings::HideBrokenMessageFiles = c.hideBroken;
        WriteAged(good, Record("хорошее " + std::to_string(&c - cases)), kLongAgo);  // a new message each time
        WriteAged(broken, "2024\0" "1", kLongAgo);
        const RecordingHost host = OnePass();
        EXPECT_EQ(!esIsFileExist(good), c.goodDeleted);
        EXPECT_EQ(!esIsFileExist(broken), c.brokenDeleted);
        EXPECT_TRUE(c.goodDeleted || IsFileHidden(good));
        EXPECT_TRUE(c.brokenDeleted || IsFileHidden(broken));
        EXPECT_EQ(host.Texts({MessageKind::Debug}), Lines{Notice("DispatchAllMessages", c.brokenNotice, broken)});
        EXPECT_EQ(host.Texts({MessageKind::System}).size(), 1u) << "the reader's own notice";
        outside::RemoveFile(good);
        outside::RemoveFile(broken);
    }
}

TEST_F(DispatchTest, FailedDeletesFallBackToHidingAndStuckFilesAreNotShownAgain) {
    modSettings::DeleteMessageFiles = true;
    modSettings::HideBrokenMessageFiles = false;
    Write("a.ZPMF", Record("один раз"));
    Write("b.ZPMF", "junk");
    RecordingHost host;
    Lines hidden;
    const auto noDelete = [](const std::string&) { return false; };
    MessageDispatcher(host, {noDelete, [&](const std::string& p) {
                                 hidden.push_back(p);
                                 return true;
                             }})
        .DispatchAllMessages();
    EXPECT_EQ(hidden, (Lines{chat / "a.ZPMF", chat / "b.ZPMF"}));
    const std::string notHidden = "но его удалить не удалось. Он был скрыт.";
    EXPECT_EQ(host.Texts({MessageKind::Debug}),
              (Lines{Notice("DispatchAllMessages", "Файл успешно обработан, " + notHidden, chat / "a.ZPMF"),
                     Notice("DispatchAllMessages", "Файл оказался ошибочным, " + notHidden, chat / "b.ZPMF")}));
    // Neither deleted nor hidden: still there, not shown twice; the ledger keeps out what the first run showed.
    Write("c.ZPMF", Record("застрял"));
    RecordingHost second;
    MessageDispatcher stuck(second, {noDelete, noDelete});
    stuck.DispatchAllMessages();
    stuck.DispatchAllMessages();
    EXPECT_EQ(second.Texts({MessageKind::Other}), Lines{"застрял"});
}

TEST_F(DispatchTest, AWaitingFileIsLeftAloneAndSaysWhyOnceAndAgainWhenTheReasonChanges) {
    const std::string path = chat / "later.ZPMF";
    WriteRaw(path, "2024\0" "1");  // just written and not whole yet
    WriteRaw(path + ".!sync", "");
    RecordingHost host;
    MessageDispatcher dispatcher(host);
    const std::string syncing = Notice("DispatchMessage", "Файл ещё синхронизируется. Пока пропускаем.", path);
    const std::string young =
        Notice("DispatchMessage", "Файл не разобран, но он только что записан. Пока пропускаем.", path);
    const auto passes = [&](const Lines& said) {
        for (int pass = 0; pass < 3; ++pass) EXPECT_EQ(dispatcher.DispatchAllMessages().retried, 1);
        EXPECT_EQ(host.Texts({MessageKind::Debug}), said);
        EXPECT_TRUE(esIsFileExist(path) && !IsFileHidden(path));
        EXPECT_TRUE(host.Texts({MessageKind::System}).empty()) << "no broken notice while waiting";
    };
    passes({syncing});
    outside::RemoveFile(path + ".!sync");
    passes({syncing, young});
    WriteRaw(path + ".!sync", "");
    passes({syncing, young, syncing});
    outside::RemoveFile(path + ".!sync");
    WriteAged(path, "2024\0" "1", kLongAgo);
    EXPECT_EQ(dispatcher.DispatchAllMessages().broken, 1) << "old and its marker gone: broken at last";
}

TEST_F(DispatchTest, ProgressCaptionOnlyForMoreThanTenFiles) {
    for (int count : {10, 11}) {
        SCOPED_TRACE(count);
        WriteMessages(std::to_string(count) + "-", count);
        const RecordingHost host = OnePass();
        const std::string plain = "Беседа.ZPMFChat \u2013 Quillet";
        Lines expected;
        for (int i = 1; count > 10 && i <= count; ++i)
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
    MessageDispatcher dispatcher(host, {[](const std::string&) { return false; }, [&](const std::string& path) {
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

    // While the log cannot be written nothing goes and nothing shows twice; the save is tried
    // again per batch of files or quarter of a second and at the end of the pass, not after every file.
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
    host.saveWorks = true;
    {  // closed as the window closes: the held files go, their messages reach the ledger on the disk
        CInotifyWatcher watcher;
        UpdatePoller poller(watcher, dispatcher, AsDisplay(host));
    }
    EXPECT_EQ(removed, count + held);
    EXPECT_EQ(host.Texts({MessageKind::Other}).size(), count + held);
    EXPECT_TRUE(MessageLedger(outside::esBuildFileName2(modSettings::LogsFolder, kLedgerFileName))
                    .Seen(MessageLedger::Identity("{OTHER}", kSent, "n0")));
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
    EXPECT_TRUE(IsFileHidden(chat / "m1001.ZPMF")) << "read and saved before the error: removed";
    EXPECT_FALSE(IsFileHidden(chat / "m1002.ZPMF"));
}

TEST_F(DispatchTest, SharedFolderTouchesNobodysFileAndReadsOnlyNewOnes) {
    modSettings::SharedFolder = true;
    modSettings::HideBrokenMessageFiles = false;
    modSettings::DeleteMessageFiles = true;
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
        EXPECT_TRUE(esIsFileExist(path)) << path;
        EXPECT_EQ(IsFileHidden(path), path == hidden) << path;
    }
    WriteAged(other, Record("подменено"), kLongAgo);  // a pass that read it again would show this
    dispatcher.DispatchAllMessages();
    outside::RemoveFile(syncing + ".!sync");
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(Shown(host), (Lines{"чужое", "своё", "спрятано другим", "записка", "догрузилось"}));
    // After a restart nothing shows twice and nothing is told twice; only a new file is read.
    WriteAged(chat / "2024-01-01 00-00-00-006 {N}.ZPMF", Record("новое"), kLongAgo);
    EXPECT_EQ(OnePass().Texts({MessageKind::Other, MessageKind::Mine, MessageKind::System}), Lines{"новое"});
}

TEST_F(DispatchTest, OwnFilesGoAfterTheRetentionOthersAsTheModeSays) {
    const struct {
        const char* mode;
        bool shared, deleteFiles, otherDeleted, freshOwnHidden;
    } cases[] = {
        {"shared folder", true, false, false, false},
        {"shared folder, deleting on", true, true, false, false},
        // Over a sync service one's own file must live until the service has carried it.
        {"deleting on", false, true, true, true},
    };
    modSettings::RetentionDays = 400;  // a year ago: within as many days, beyond as many hours
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        modSettings::SharedFolder = c.shared;
        modSettings::DeleteMessageFiles = c.deleteFiles;
        const std::string tag = std::to_string(&c - cases);
        const std::string oldOwn = chat / ("2000-01-01 12-00-00-000 {" + tag + "}.ZPMF");
        const std::string freshOwn = chat / ("2099-01-01 00-00-00-000 {" + tag + "}.ZPMF");
        const std::string oldOther = chat / ("2000-01-01 12-00-00-001 {" + tag + "}.ZPMF");
        WriteAged(oldOwn, Record("старое своё " + tag, modSettings::ClientGuid, YearsAgo(2)), kLongAgo);
        WriteAged(freshOwn, Record("новое своё " + tag, modSettings::ClientGuid, YearsAgo(1)), kLongAgo);
        WriteAged(oldOther, Record("старое чужое " + tag, "{OTHER}", {2000, 1, 6, 1, 12, 0, 0, 0}), kLongAgo);
        const RecordingHost host = OnePass();
        EXPECT_EQ(host.Texts({MessageKind::Mine}), (Lines{"старое своё " + tag, "новое своё " + tag}));
        EXPECT_EQ(host.Texts({MessageKind::Other}), Lines{"старое чужое " + tag});
        EXPECT_FALSE(esIsFileExist(oldOwn)) << "older than the retention";
        EXPECT_TRUE(esIsFileExist(freshOwn));
        EXPECT_EQ(IsFileHidden(freshOwn), c.freshOwnHidden);
        EXPECT_EQ(!esIsFileExist(oldOther), c.otherDeleted);
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
    ASSERT_TRUE(esIsFileExist(marker)) << "kept by a client in the shared-folder mode";
    modSettings::SharedFolder = false;
    modSettings::ClientGuid = "{22222222-2222-2222-2222-222222222222}";
    RecordingHost other;
    MessageDispatcher dispatcher(other);
    for (int pass = 0; pass < 3; ++pass) dispatcher.DispatchAllMessages();
    EXPECT_TRUE(esIsFileExist(marker)) << "the other client's marker is left alone";
    modSettings::SharedFolder = true;  // a change of mode looks at the markers again at once
    dispatcher.DispatchAllMessages();
    modSettings::SharedFolder = false;
    dispatcher.DispatchAllMessages();
    EXPECT_EQ(other.Texts({MessageKind::System}), Lines{SharedFolderInUseNotice()});
    modSettings::ClientGuid = first;  // back in the ordinary mode, it takes its marker away
    EXPECT_TRUE(OnePass().Texts({MessageKind::System}).empty());
    EXPECT_FALSE(esIsFileExist(marker));
}
