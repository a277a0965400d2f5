#include "modMain.h"

#include <cctype>
#include <memory>

#include "app/support/modFormatVersion.h"
#include "outside/MessageBoxes.h"
#include "outside/Support.h"

namespace modMain {

bool StartHidden = false;

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

StartupDecision ParseCommandLine(startup::ChatPtr& chat) {
    return ParseCommandLine(outside::CommandLineArgs::FromProcess(), chat);
}

StartupDecision ParseCommandLine(const outside::CommandLineArgs& args, startup::ChatPtr& chat) {
    chat.reset();
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
    const std::string folder = outside::esGetFilePath(candidate);
    if (folder.empty()) return StartupDecision::EntryWindow;
    chat = ClaimChatFolder(candidate, folder);
    return chat ? StartupDecision::OpenChat : StartupDecision::EntryWindow;
}

startup::ChatPtr ClaimChatFolder(const std::string& chatFilePath, const std::string& chatFolder) {
    auto guard = std::make_unique<startup::CExchangePathProtector>();
    if (guard->IsPathProtected(chatFolder)) {
        // Released before the warning is shown: the extra reference to the
        // other holder's claim goes at once, and a chat entered while the box
        // is up has a value of its own that the box's OK cannot touch.
        guard.reset();
        outside::MsgBox(chatFolder + "\r\n\r\n" + "В этом каталоге уже идёт чат." + "\r\n" +
                            "Попробуйте поискать иконку " + "программы в трее.",
                        outside::kMbIconWarning);
        return nullptr;
    }
    return std::make_shared<const startup::ClaimedChat>(chatFilePath, chatFolder, std::move(guard));
}

std::string UsageText(const std::string& exePath) {
    return modFormatVersion::VersionText() + "\r\n\r\n" + "Использование:" + "\r\n\r\n" +
           outside::esGetFileName(exePath, true) + "[.EXE] [[/H] FileName]" + "\r\n\r\n" + "FileName - файл чата." +
           "\r\n" + "/H - скрыть окно чата при запуске.";
}

void ShowUsage() { outside::MsgBox(UsageText(outside::esGetModuleFileName(0, true)), outside::kMbIconInformation); }

}  // namespace modMain
