// send: one message file, written by the program's own writers.
#include "Chat.h"
#include "Commands.h"
#include "Platform.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "SystemReason.h"
#include "app/exchange/EffectiveUserName.h"
#include "app/exchange/FileSending.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/MessageSender.h"
#include "app/settings/modSettings.h"
#include "app/support/modCommon.h"
#include "outside/Folder.h"
#include "outside/RuntimeError.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"

namespace cli {
namespace {

// Control characters other than tab and line breaks: XML cannot hold them,
// U+0000 would split the binary record, and the others would reach other
// people's screens as garbage.
bool HasForbiddenControls(const std::string& text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return true;
    }
    return false;
}

// An upper bound of the file's size: XML escapes "&", "<", ">" and CR at up
// to five bytes each.
uint64_t SizeBound(const std::string& text, const std::string& name) {
    uint64_t bound = 1024 + 5 * name.size() + text.size();
    for (const char c : text)
        if (c == '&' || c == '<' || c == '>' || c == '\r') bound += 4;
    return bound;
}

[[noreturn]] void TooLong() {
    throw CliError(kExitUsage, "quillet-cli send: the message is too long: Quillet reads message files of up to " +
                                   std::to_string(outside::kMaxMessageFileBytes / (1024 * 1024)) + " MiB");
}

void CheckText(const std::string& text, const std::string& what) {
    if (!outside::IsValidUtf8(text)) throw CliError(kExitUsage, "quillet-cli send: " + what + " is not UTF-8 text");
    if (HasForbiddenControls(text))
        throw CliError(kExitUsage, "quillet-cli send: " + what +
                                       " holds control characters (other than tab and line breaks), "
                                       "which a message cannot carry");
}

// A file's message may go without text: only "-" asks for standard input then.
std::string TextFromOperands(const std::vector<std::string>& operands, bool textOptional) {
    if (textOptional && operands.size() < 2) return {};
    if (operands.size() < 2 || (operands.size() == 2 && operands[1] == "-")) {
        if (StdinIsTerminal()) ReportError("Type the message; end it with Ctrl+D (Ctrl+Z, Enter on Windows).");
        // No more than a message can hold: an endless input must not eat the memory.
        std::string text = ReadStdin(outside::kMaxMessageFileBytes);
        if (text.size() > outside::kMaxMessageFileBytes) TooLong();
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
        return text;
    }
    std::string text;
    for (size_t i = 1; i < operands.size(); ++i) text += (i > 1 ? " " : "") + operands[i];
    return text;
}

}  // namespace

int SendCommand(const Arguments& arguments) {
    if (arguments.operands.empty())
        throw CliError(kExitUsage, "quillet-cli send: no chat given\n" + UsageLine("send"));
    const startup::ChatPtr chat = OpenChat(arguments.operands[0]);

    const std::string text =
        modCommon::NormalizeLineBreaks(TextFromOperands(arguments.operands, arguments.file.has_value()));
    CheckText(text, "the text");
    if (exchange::TextToSend(text).empty() && !arguments.file)
        throw CliError(kExitUsage, "quillet-cli send: nothing to send: the text is empty or only blanks and line breaks");

    LoadIdentity();
    modSettings::ReadChatSettings(chat->ChatFilePath);
    if (arguments.name) {
        CheckText(*arguments.name, "the name");
        modSettings::UserName = *arguments.name;
    }
    if (SizeBound(text, modSettings::UserName) > outside::kMaxMessageFileBytes) TooLong();

    // The file first: the message names its copy, and goes only once the copy is whole.
    std::string copy;
    std::string toSend = exchange::TextToSend(text);
    if (arguments.file) {
        if (outside::IsFolder(*arguments.file))
            throw CliError(kExitFailed, "quillet-cli send: cannot send " + *arguments.file + ": Is a directory");
        exchange::FileReference file;
        try {
            file = exchange::CopyIntoFilesFolder(*chat, *arguments.file);
        } catch (const outside::RuntimeError& e) {
            throw CliError(kExitFailed, "quillet-cli send: cannot send " + *arguments.file + ": " + SystemReason(e));
        }
        copy = exchange::AttachmentPath(chat->ChatFolder, file.storedName);
        toSend = exchange::FileMessageText({file, toSend});
    }

    // What the chat window's senders do, with the failure in the system's words.
    const std::string name = exchange::EffectiveUserName(modSettings::UserName);
    const outside::DateTimeRecord utc = outside::esGetSystemTime();
    const std::string path = exchange::BuildMessageFileName(
        utc, arguments.xml ? exchange::kXmlExtension : exchange::kBinaryExtension, chat->ChatFolder);
    try {
        if (arguments.xml) {
            std::string step;
            exchange::WriteXmlMessage(path, utc, name, modSettings::ClientGuid, toSend, step);
        } else {
            exchange::WriteBinaryMessage(path, exchange::BuildBinaryRecord(utc, name, toSend, modSettings::ClientGuid));
        }
    } catch (const outside::RuntimeError& e) {
        if (!copy.empty()) outside::RemoveFile(copy);  // no message names it
        throw CliError(kExitFailed, "quillet-cli send: cannot write " + path + ": " + SystemReason(e));
    }
    return WriteStdout(path + "\n") ? kExitOk : OutputFailed();
}

}  // namespace cli
