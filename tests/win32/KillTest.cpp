// Quillet killed in the middle of a big pass, again and again: no message whose
// file is hidden or gone is missing from the whole RTF logs, and the next start shows the rest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "QuilletProcess.h"
#include "WindowTestSupport.h"
#include "app/exchange/MessageDispatcher.h"
#include "app/exchange/MessageFiles.h"
#include "app/settings/modSettings.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"
#include "support/RtfReader.h"
#include "support/TempDir.h"

namespace {

constexpr int kMessages = 2000;
constexpr int kKills = 20;

std::string Text(int i) { return "Сообщение №" + std::to_string(10000 + i) + " переживёт обрыв"; }

// Every message text the logs hold, counted; each log must read as a whole document.
std::multiset<std::string> Logged() {
    std::multiset<std::string> texts;
    for (const std::string& log : wintest::LogFiles()) {
        try {
            for (const auto& run : testsupport::ReadRtfRuns(outside::ReadFileBytes(log, 64u << 20)))
                if (const size_t at = run.text.find("Сообщение №"); at != std::string::npos)
                    texts.insert(run.text.substr(at, Text(0).size()));
        } catch (const std::exception& e) {
            ADD_FAILURE() << log << " is no whole RTF document: " << e.what();
        }
    }
    return texts;
}

class KillTest : public ::testing::Test {
protected:
    void SetUp() override {
        outside::TheTextFile().WriteText(chatFile, "", outside::TextEncoding::Utf8);
        modSettings::ResetToDefaults();
        modSettings::LoadGlobalSettings();
        modSettings::LoadChatSettings(chatFile);  // the chat's logs folder, as Quillet will find it
        for (int i = 0; i < kMessages; ++i) {
            const outside::DateTimeRecord t{2024, 5, 0, 1, 12, static_cast<uint16_t>(i / 60000),
                                            static_cast<uint16_t>(i / 1000 % 60), static_cast<uint16_t>(i % 1000)};
            paths.push_back(exchange::BuildMessageFileName(t, exchange::kBinaryExtension, dir.path()));
            exchange::WriteBinaryMessage(paths.back(), exchange::BuildBinaryRecord(t, "Гость", Text(i), "{OTHER}"));
        }
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::u8path(modSettings::LogsFolder), ignored);
    }
    std::wstring Arguments() const { return L"/H \"" + outside::W(chatFile) + L"\""; }
    int Visible() const {
        return static_cast<int>(outside::ListPlainFiles(dir.path(), exchange::kBinaryExtension).size());
    }

    testsupport::TempDir dir;
    const std::string chatFile = dir / "Обрыв.ZPMFChat";
    std::vector<std::string> paths;
};

}  // namespace

TEST_F(KillTest, NoMessageIsLostAndTheNextStartShowsTheRest) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int killsInPass = 0;
    for (int kill = 0; kill < kKills && Visible() > 0; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        // Half the runs delete read files: a deleted file is gone from every machine.
        modSettings::DeleteMessageFiles = kill % 2 == 1;
        modSettings::SaveChatSettings(chatFile);
        const int before = Visible();
        {
            wintest::QuilletProcess quillet(Arguments());
            ASSERT_NE(quillet.WaitForAnyWindow(L"QuilletChatWindow"), nullptr);
            // Killed in the middle of the pass, however fast the machine: once a
            // random number of files is gone, then at a random moment after that.
            const int target = before - std::uniform_int_distribution<int>(1, std::min(before, 150))(random);
            for (int waited = 0; Visible() > target && waited < 60000; waited += 5) ::Sleep(5);
            ::Sleep(std::uniform_int_distribution<DWORD>(0, 100)(random));
        }
        if (Visible() < before) ++killsInPass;
        const std::multiset<std::string> logged = Logged();
        int shownAgain = 0;
        for (int i = 0; i < kMessages; ++i) {
            const std::string& path = paths[static_cast<size_t>(i)];
            const bool read = !outside::esIsFileExist(path) || outside::IsFileHidden(path);
            const bool inLog = logged.count(Text(i)) > 0;
            EXPECT_TRUE(!read || inLog) << "lost: " << outside::esGetFileName(path);
            shownAgain += !read && inLog ? 1 : 0;
        }
        EXPECT_LE(shownAgain, exchange::kRemovalBatchFiles) << "logged but still waiting to be read again";
    }
    EXPECT_GE(killsInPass, 5) << "most kills should land in the middle of the pass";

    // The last start reads everything that is left.
    wintest::QuilletProcess quillet(Arguments());
    for (int waited = 0; Visible() > 0 && waited < 120000; waited += 100) ::Sleep(100);
    EXPECT_EQ(Visible(), 0);
    ::Sleep(300);
    quillet.Terminate();
    const std::multiset<std::string> logged = Logged();
    for (int i = 0; i < kMessages; ++i) EXPECT_GE(logged.count(Text(i)), 1u) << Text(i);
}
