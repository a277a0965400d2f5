#include "MessageSender.h"

#include "EffectiveUserName.h"
#include "MessageFiles.h"
#include "app/settings/modSettings.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"

namespace exchange {
namespace {

std::string FailureNotice(const std::string& step, const outside::RuntimeError& e, const std::string& path) {
    return "Не удалось отправить сообщение" + step + "." + "\r\n" + "Ошибка " + outside::asGetErrorNumber(e.Number()) +
           ": " + e.Description() + "\r\n" + path;
}

}  // namespace

std::string TextToSend(const std::string& boxText) {
    std::string text = outside::asTrimEx2(boxText, false, false, true, true);
    // Blanks and line breaks in any mix are no message either.
    if (outside::asTrimEx2(text, true, true, true, true).empty()) text.clear();
    return text;
}

SendOutcome SendComposedMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display) {
    return modSettings::SendXMLMessages ? SendXmlMessage(chat, boxText, display) : SendBinaryMessage(chat, boxText, display);
}

SendOutcome SendBinaryMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display,
                              std::string* writtenPath) {
    const std::string text = TextToSend(boxText);
    if (text.empty()) return SendOutcome::NothingToSend;
    std::string path;
    try {
        const outside::DateTimeRecord utc = outside::esGetSystemTime();
        path = BuildMessageFileName(utc, kBinaryExtension, chat.ChatFolder);
        WriteBinaryMessage(path, BuildBinaryRecord(utc, EffectiveUserName(modSettings::UserName), text,
                                                   modSettings::ClientGuid));
        if (writtenPath) *writtenPath = path;
        return SendOutcome::Sent;
    } catch (const outside::RuntimeError& e) {
        display.ShowSystemMessage(FailureNotice("", e, path));
        return SendOutcome::Failed;
    }
}

SendOutcome SendXmlMessage(const startup::ClaimedChat& chat, const std::string& boxText, IMessageDisplay& display,
                           std::string* writtenPath) {
    const std::string text = TextToSend(boxText);
    if (text.empty()) return SendOutcome::NothingToSend;
    std::string path;
    std::string step;
    try {
        const outside::DateTimeRecord utc = outside::esGetSystemTime();
        path = BuildMessageFileName(utc, kXmlExtension, chat.ChatFolder);
        WriteXmlMessage(path, utc, EffectiveUserName(modSettings::UserName), modSettings::ClientGuid, text, step);
        if (writtenPath) *writtenPath = path;
        return SendOutcome::Sent;
    } catch (const outside::RuntimeError& e) {
        display.ShowSystemMessage(FailureNotice(step, e, path));
        return SendOutcome::Failed;
    }
}

}  // namespace exchange
