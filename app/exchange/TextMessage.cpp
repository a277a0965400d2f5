// The plain-text format: the whole file is the message, from no one in particular.
#include "MessageFiles.h"
#include "ReaderNotices.h"
#include "outside/Support.h"
#include "outside/TextFile.h"

namespace exchange {

DispatchResult DispatchMessage_Text(const std::string& path, IMessageDisplay& display) {
    std::string text;
    try {
        text = outside::TheTextFile().ReadText(path);
    } catch (const outside::RuntimeError& e) {
        if (e.Number() == outside::kErrFileTooLarge) {
            display.ShowSystemMessage(BrokenNotice("", e, path));
            return DispatchResult::Broken;
        }
        display.ShowDebugMessage(ReadFailureNotice("DispatchMessage_Text", e, path));
        return DispatchResult::Retry;
    }
    return ReadPlainText(text, path, display);
}

DispatchResult ReadPlainText(const std::string& text, const std::string& path, IMessageDisplay& display) {
    try {
        display.DisplayMessage(kTextSenderName, text, outside::esGetSystemTime(), MessageKind::Other,
                               outside::esGetFileName(path, false));
    } catch (const outside::RuntimeError&) {
        // The file has been read; a display hiccup must not keep it for ever.
    }
    return DispatchResult::Processed;
}

}  // namespace exchange
