#include "MessageReading.h"

#include <cctype>

#include "app/exchange/IMessageDisplay.h"
#include "app/exchange/MessageFiles.h"
#include "outside/Support.h"

namespace cli {
namespace {

using exchange::DispatchResult;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class Recorder final : public exchange::IMessageDisplay {
public:
    explicit Recorder(DecodedFile& file) : file_(file) {}

    void DisplayMessage(const std::string& userName, const std::string& text, outside::DateTimeRecord time,
                        exchange::MessageKind kind, const std::string& fileName) override {
        DisplayMessageFrom({}, userName, text, time, kind, fileName);
    }
    void DisplayMessageFrom(const std::string& clientGuid, const std::string& userName, const std::string& text,
                            outside::DateTimeRecord time, exchange::MessageKind kind,
                            const std::string& fileName) override {
        TakeMessage(file_, clientGuid, userName, text, time, kind, fileName);
    }
    void ShowSystemMessage(const std::string& text) override { file_.systemNotices.push_back(text); }
    void ShowDebugMessage(const std::string& text) override { file_.debugNotices.push_back(text); }

private:
    DecodedFile& file_;
};

}  // namespace

void TakeMessage(DecodedFile& file, const std::string& clientGuid, const std::string& userName,
                 const std::string& text, const outside::DateTimeRecord& time, exchange::MessageKind kind,
                 const std::string& fileName) {
    // The pane turns the time into local time, and a date that cannot be
    // turned makes the file broken there; so it does here, whatever is printed.
    (void)outside::esSystemTimeToLocalSystemTime(time);
    file.hasMessage = true;
    file.clientGuid = clientGuid;
    file.userName = userName;
    file.text = text;
    file.time = time;
    file.kind = kind;
    file.fileName = fileName;
}

std::string FormatOf(const std::string& path) {
    const std::string extension = Upper(outside::esGetFileExtension(path));
    if (extension == exchange::kBinaryExtension) return "binary";
    if (extension == exchange::kXmlExtension) return "xml";
    if (extension == exchange::kTextExtension) return "text";
    return {};
}

DecodedFile DecodeMessageFile(const std::string& path, const std::string& clientGuid) {
    DecodedFile file;
    file.path = path;
    Recorder recorder(file);
    const std::string format = FormatOf(path);
    if (format == "binary") {
        file.result = exchange::DispatchMessage_Binary(path, recorder, clientGuid);
    } else if (format == "xml") {
        file.result = exchange::DispatchMessage_XML(path, recorder, clientGuid);
    } else if (format == "text") {
        file.result = exchange::DispatchMessage_Text(path, recorder);
    } else {
        file.result = DispatchResult::Processed;
        file.debugNotices.push_back("DispatchMessage() ==> " + std::string("Непонятное расширение файла. Игнорируем.") +
                                    "\r\n" + path);
    }
    return file;
}

}  // namespace cli
