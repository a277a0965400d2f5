// The XML message format: a small document written and read through the XML
// document object.
#include "MessageFiles.h"
#include "ReaderNotices.h"
#include "app/support/modCommon.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "outside/XmlDocument.h"

namespace exchange {
namespace {

using outside::RuntimeError;

// Characters from 1-based position start, as many as there are up to count.
std::string Mid(const std::u16string& text, size_t start, size_t count) {
    if (start < 1 || start > text.size()) return {};
    return outside::Utf16ToUtf8(text.substr(start - 1, count));
}

outside::DateTimeRecord ParseXmlTimestamp(const std::string& stamp) {
    // Fixed positions; the separators between them are not looked at.
    const std::u16string s = outside::Utf8ToUtf16(stamp);
    const auto piece = [&](size_t start, size_t count) {
        return static_cast<uint16_t>(outside::ParseInt16(Mid(s, start, count)));
    };
    outside::DateTimeRecord time;
    time.year = piece(1, 4);
    time.month = piece(6, 2);
    time.day = piece(9, 2);
    time.hour = piece(12, 2);
    time.minute = piece(15, 2);
    time.second = piece(18, 2);
    time.milliseconds = piece(21, 3);
    return time;
}

std::string RequiredText(const outside::XmlNode& document, const char* path) {
    const auto node = document.SelectSingleNode(path);
    if (!node) throw RuntimeError(outside::kErrObjectNotSet, std::string("Нет элемента ") + path);
    return node->Text();
}

}  // namespace

void WriteXmlMessage(const std::string& path, const outside::DateTimeRecord& utc, const std::string& userName,
                     const std::string& clientGuid, const std::string& text, std::string& step) {
    step = kStepCreateObject;
    auto doc = outside::CreateXmlDocument();
    step = kStepCreateDom;
    if (!doc->NewDocument("utf-8")) throw RuntimeError(outside::kErrInternal, "Не удалось создать документ XML");
    step = kStepBuildDom;
    auto root = doc->DocumentNode()->AppendChild(outside::XmlNodeType::Element, "message");
    auto timestamp = root->AppendChild(outside::XmlNodeType::Element, "timestamp");
    timestamp->SetText(FormatXmlTimestamp(utc));
    timestamp->AppendChild(outside::XmlNodeType::Attribute, "local")->SetText("false");
    root->AppendChild(outside::XmlNodeType::Element, "username")->SetText(userName);
    root->AppendChild(outside::XmlNodeType::Element, "clientguid")->SetText(clientGuid);
    root->AppendChild(outside::XmlNodeType::Element, "text")->SetText(text);
    step = kStepSaveFile;
    doc->Save(path);
    step.clear();
}

DispatchResult DispatchMessage_XML(const std::string& path, IMessageDisplay& display, const std::string& clientGuid) {
    try {
        outside::TheTextFile().ReadText(path);  // only to learn whether it can be read yet
    } catch (const RuntimeError& e) {
        if (e.Number() == outside::kErrFileTooLarge) {
            display.ShowSystemMessage(BrokenNotice("", e, path));
            return DispatchResult::Broken;
        }
        display.ShowDebugMessage(ReadFailureNotice("DispatchMessage_XML", e, path));
        return DispatchResult::Retry;
    }

    std::string step;
    try {
        step = kStepCreateObject;
        auto doc = outside::CreateXmlDocument();
        step = kStepParse;
        if (!doc->Load(path)) {
            const outside::XmlParseError pe = doc->ParseError();
            std::string reason = outside::asTrimEx2(pe.reason, true, true, true, true, true);
            if (pe.code == outside::kXmlFileInUseCode) {
                display.ShowDebugMessage("DispatchMessage_XML() ==> " +
                                         std::string("Не удалось прочитать файл (MSXML). Пока пропускаем. ") + "\r\n" +
                                         "Ошибка " + outside::asGetErrorNumber(pe.code) + ": " + reason + "\r\n" + path);
                return DispatchResult::Retry;
            }
            if (reason.empty() || reason.back() != '.') reason += ".";
            reason += " Строка " + outside::asFormatLong(static_cast<int32_t>(pe.line)) + "," + " символ " +
                      outside::asFormatLong(static_cast<int32_t>(pe.column)) + ".";
            throw RuntimeError(pe.code, reason);
        }

        step = kStepStructure;
        const auto document = doc->DocumentNode();
        const std::string stamp = RequiredText(*document, "/message/timestamp");
        const std::string userName = RequiredText(*document, "/message/username");
        const std::string senderGuid = RequiredText(*document, "/message/clientguid");
        std::string text = RequiredText(*document, "/message/text");
        const std::string local =
            outside::XmlDocument::NodeText(document->SelectSingleNode("/message/timestamp/@local").get());
        text = modCommon::NormalizeLineBreaks(text);

        step = kStepDate;
        outside::DateTimeRecord time = ParseXmlTimestamp(stamp);
        if (outside::esStringToBool(local)) time = outside::esLocalSystemTimeToSystemTime(time);
        time.dayOfWeek = 0;

        step.clear();
        const MessageKind kind = senderGuid == clientGuid ? MessageKind::Mine : MessageKind::Other;
        display.DisplayMessageFrom(senderGuid, userName, text, time, kind, outside::esGetFileName(path, false));
        return DispatchResult::Processed;
    } catch (const RuntimeError& e) {
        display.ShowSystemMessage(BrokenNotice(step, e, path));
        return DispatchResult::Broken;
    }
}

}  // namespace exchange
