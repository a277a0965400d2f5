// The binary message format: one text record of ten fields joined by U+0000.
#include "MessageFiles.h"
#include "ReaderNotices.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {

std::vector<std::string> SplitRecord(const std::string& record) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t nul = record.find('\0', start);
        fields.push_back(record.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
        if (nul == std::string::npos) break;
        start = nul + 1;
    }
    return fields;
}

std::string BuildBinaryRecord(const outside::DateTimeRecord& utc, const std::string& userName, const std::string& text,
                              const std::string& clientGuid) {
    const std::string fields[] = {std::to_string(utc.year),   std::to_string(utc.month),  std::to_string(utc.day),
                                  std::to_string(utc.hour),   std::to_string(utc.minute), std::to_string(utc.second),
                                  std::to_string(utc.milliseconds), userName, text, clientGuid};
    std::string record;
    for (const std::string& field : fields) {
        if (&field != &fields[0]) record += '\0';
        record += field;
    }
    return record;
}

void WriteBinaryMessage(const std::string& path, const std::string& record) {
    outside::TheTextFile().WriteText(path, record, outside::TextEncoding::Utf8Bom);
}

DispatchResult DispatchMessage_Binary(const std::string& path, IMessageDisplay& display, const std::string& clientGuid) {
    std::string record;
    try {
        record = outside::TheTextFile().ReadText(path);
    } catch (const outside::RuntimeError& e) {
        if (e.Number() == outside::kErrFileTooLarge) {
            display.ShowSystemMessage(BrokenNotice("", e, path));
            return DispatchResult::Broken;
        }
        display.ShowDebugMessage(ReadFailureNotice("DispatchMessage_Binary", e, path));
        return DispatchResult::Retry;
    }
    try {
        const std::vector<std::string> fields = SplitRecord(record);
        const auto field = [&](size_t index) -> const std::string& {
            if (index >= fields.size())
                throw outside::RuntimeError(outside::kErrSubscriptOutOfRange, "Индекс вне допустимого диапазона");
            return fields[index];
        };
        const auto number = [&](size_t index) { return static_cast<uint16_t>(outside::ParseInt16(field(index))); };
        outside::DateTimeRecord time;
        time.year = number(0);
        time.month = number(1);
        time.day = number(2);
        time.hour = number(3);
        time.minute = number(4);
        time.second = number(5);
        time.milliseconds = number(6);
        // A record without the sender's GUID is taken as one's own.
        const MessageKind kind = fields.size() >= 10 && fields[9] != clientGuid ? MessageKind::Other : MessageKind::Mine;
        const std::string& userName = field(7);
        const std::string& text = field(8);
        const std::string senderGuid = fields.size() >= 10 ? fields[9] : std::string();
        display.DisplayMessageFrom(senderGuid, userName, text, time, kind, outside::esGetFileName(path, false));
        return DispatchResult::Processed;
    } catch (const outside::RuntimeError& e) {
        display.ShowSystemMessage(BrokenNotice("", e, path));
        return DispatchResult::Broken;
    }
}

}  // namespace exchange
