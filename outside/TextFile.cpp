#include "TextFile.h"

#include "Support.h"
#include "Utf.h"

namespace outside {

std::string DecodeTextBytes(std::string_view bytes) {
    const auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
    if (starts("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        return IsValidUtf8(bytes) ? std::string(bytes) : Utf16ToUtf8(Utf8ToUtf16(bytes));
    }
    if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        bytes.remove_prefix(2);
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
            const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
            units += static_cast<char16_t>(lo | (hi << 8));
        }
        return Utf16ToUtf8(units);
    }
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return AnsiToUtf8(bytes);
}

void TextFile::WriteText(const std::string& path, std::string_view text, TextEncoding encoding) {
    std::string bytes;
    if (encoding == TextEncoding::Utf8Bom) bytes = "\xEF\xBB\xBF";
    bytes.append(text);
    WriteFileAtomically(path, bytes);
}

std::string TextFile::ReadText(const std::string& path, uint64_t maxBytes) {
    return DecodeTextBytes(ReadFileBytes(path, maxBytes));
}

void TextFile::WriteBytes(const std::string& path, std::string_view bytes) { WriteFileAtomically(path, bytes); }

TextFile& TheTextFile() {
    static TextFile file;
    return file;
}

RuntimeError FileChangedError(const std::string& path) {
    return RuntimeError(kErrFileChanged, "Файл изменён или удалён другой программой.", path);
}

std::string TemporaryNameFor(const std::string& path) {
    // A leading "~" and a trailing ".tmp": no "*.ZPMF"-style pattern lists it.
    return esBuildFileName2(esGetFilePath(path), ".~" + esGetFileName(path) + ".tmp");
}

}  // namespace outside
