#include "modMain.h"

#include <cctype>
#include <memory>

#include "CExchangePathProtector.h"
#include "app/support/modFormatVersion.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"

namespace modMain {

std::string ChatFilePath;
std::string ChatFolder;
bool StartHidden = false;

namespace {

// The one folder guard of the process; alive while it holds a claim.
std::unique_ptr<startup::CExchangePathProtector>& FolderGuard() {
    static std::unique_ptr<startup::CExchangePathProtector> guard;
    return guard;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

StartupDecision ParseCommandLine() { return ParseCommandLine(outside::CommandLineArgs::FromProcess()); }

StartupDecision ParseCommandLine(const outside::CommandLineArgs& args) {
    StartHidden = false;
    std::string candidate;
    for (int i = 0; i < args.Count(); ++i) {
        const std::string upper = Upper(args.Item(i));
        if (upper == "/?") return StartupDecision::Usage;
        if (upper == "/H")
            StartHidden = true;
        else
            candidate = args.Item(i);
    }
    if (candidate.empty()) {
        StartHidden = false;
        return StartupDecision::EntryWindow;
    }
    if (!outside::esIsFileExist(candidate)) {
        outside::MsgBox(candidate + "\r\n\r\n" + "Файл не существует.", outside::kMbIconError);
        return StartupDecision::EntryWindow;
    }
    candidate = outside::esGetFullFileName(candidate, true);
    if (candidate.empty()) return StartupDecision::EntryWindow;
    ChatFolder = outside::esGetFilePath(candidate);
    if (ChatFolder.empty()) return StartupDecision::EntryWindow;
    if (!ClaimChatFolder()) return StartupDecision::EntryWindow;
    ChatFilePath = candidate;
    return StartupDecision::OpenChat;
}

bool ClaimChatFolder() {
    auto& guard = FolderGuard();
    if (!guard) guard = std::make_unique<startup::CExchangePathProtector>();
    if (guard->IsPathProtected(ChatFolder)) {
        // Cleared and released before the warning is shown: nothing that runs
        // while it is up (a chat entered meanwhile) can lose its path or its
        // claim to the warning's OK.
        const std::string folder = ChatFolder;
        ChatFolder.clear();
        ChatFilePath.clear();
        guard.reset();
        outside::MsgBox(folder + "\r\n\r\n" + "В этом каталоге уже идёт чат." + "\r\n" + "Попробуйте поискать иконку " +
                            "программы в трее.",
                        outside::kMbIconWarning);
        return false;
    }
    return true;
}

void ReleaseChatFolder() { FolderGuard().reset(); }

std::string UsageText(const std::string& exePath) {
    return modFormatVersion::VersionText() + "\r\n\r\n" + "Использование:" + "\r\n\r\n" +
           outside::esGetFileName(exePath, true) + "[.EXE] [[/H] FileName]" + "\r\n\r\n" + "FileName - файл чата." +
           "\r\n" + "/H - скрыть окно чата при запуске.";
}

void ShowUsage() { outside::MsgBox(UsageText(outside::esGetModuleFileName(0, true)), outside::kMbIconInformation); }

}  // namespace modMain
