// What lies in the chat folder: message file names, the binary and XML
// writers, and the readers of the three formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "IMessageDisplay.h"
#include "MessageTypes.h"
#include "outside/DateTime.h"

namespace exchange {

inline constexpr const char* kBinaryExtension = "ZPMF";
inline constexpr const char* kXmlExtension = "ZXMF";
inline constexpr const char* kTextExtension = "ZTMF";
inline constexpr const char* kChatFileExtension = "ZPMFChat";
inline constexpr const char* kTextSenderName = "Текстовый Анонимус";

// "YYYY-MM-DD HH-MM-SS-mmm {GUID}.EXT" (UTC) joined to the chat folder.
std::string BuildMessageFileName(const outside::DateTimeRecord& utc, const std::string& extension,
                                 const std::string& chatFolder);

// What each format can carry. Invalid UTF-8 becomes U+FFFD everywhere; so
// does U+0000 in a binary field (it separates the fields), and in XML every
// character XML 1.0 has no place for (control characters other than tab, LF
// and CR; U+FFFE, U+FFFF): written as they are, they would make a file no
// reader can take, and the message would be lost to everyone.
std::string CarriableInBinary(std::string_view text);
std::string CarriableInXml(std::string_view text);

// The ten fields joined by U+0000: time (7 fields, unpadded), user name, text,
// client GUID; each field made carriable first.
std::string BuildBinaryRecord(const outside::DateTimeRecord& utc, const std::string& userName, const std::string& text,
                              const std::string& clientGuid);
void WriteBinaryMessage(const std::string& path, const std::string& record);

// "YYYY-MM-DD HH-MM-SS.mmm", as the XML format stores times.
std::string FormatXmlTimestamp(const outside::DateTimeRecord& utc);
// Writes the XML message (texts made carriable first); step names the stage for error notices and is left
// at the failing stage when a RuntimeError escapes, empty on success.
void WriteXmlMessage(const std::string& path, const outside::DateTimeRecord& utc, const std::string& userName,
                     const std::string& clientGuid, const std::string& text, std::string& step);

// The XML writer's and reader's step texts.
inline constexpr const char* kStepCreateObject = ": не удалось создать объект MSXML";
inline constexpr const char* kStepCreateDom = ": ошибка создания XML DOM";
inline constexpr const char* kStepBuildDom = ": ошибка конструирования XML DOM";
inline constexpr const char* kStepSaveFile = ": ошибка сохранения XML файла";
inline constexpr const char* kStepParse = ": XML содержит ошибки";
inline constexpr const char* kStepStructure = ": нарушена структура XML, доступны не все элементы";
inline constexpr const char* kStepDate = ": дата сообщения содержит ошибки";

// The readers. clientGuid tells Mine from Other (exact, case-sensitive).
DispatchResult DispatchMessage_Binary(const std::string& path, IMessageDisplay& display, const std::string& clientGuid);
DispatchResult DispatchMessage_Text(const std::string& path, IMessageDisplay& display);
DispatchResult DispatchMessage_XML(const std::string& path, IMessageDisplay& display, const std::string& clientGuid);

// The readers' work on what a file held, once it could be read; path names
// the file in notices and on the display. The fuzz targets drive these.
DispatchResult ReadBinaryRecord(const std::string& record, const std::string& path, IMessageDisplay& display,
                                const std::string& clientGuid);
DispatchResult ReadXmlMessage(std::string_view bytes, const std::string& path, IMessageDisplay& display,
                              const std::string& clientGuid);
DispatchResult ReadPlainText(const std::string& text, const std::string& path, IMessageDisplay& display);

// Splits at every U+0000.
std::vector<std::string> SplitRecord(const std::string& record);

}  // namespace exchange
