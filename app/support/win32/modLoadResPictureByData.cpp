#include "modLoadResPictureByData.h"

#include "modGDIPlusLoadAndSave.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/PictureSupport.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"

namespace modLoadResPictureByData {

std::string_view ResourceBytes(const std::string& name, const std::string& type, HMODULE module) {
    if (!module) module = ::GetModuleHandleW(nullptr);
    const std::wstring wideName = outside::W(name);
    const std::wstring wideType = outside::W(type);
    HRSRC info = ::FindResourceW(module, wideName.c_str(), wideType.c_str());
    if (!info) throw outside::LastError(type + "/" + name);
    HGLOBAL loaded = ::LoadResource(module, info);
    const DWORD size = ::SizeofResource(module, info);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) throw outside::LastError(type + "/" + name);
    // Resource memory lives as long as the module; nothing to free.
    return {static_cast<const char*>(data), size};
}

outside::ComPtr<IPicture> LoadResPictureByData(const std::string& name, const std::string& type, uint32_t backColor) {
    return LoadPictureFromBytes(ResourceBytes(name, type), backColor);
}

outside::ComPtr<IPicture> LoadPictureFromBytes(std::string_view bytes, uint32_t backColor) {
    const uint32_t rgb = outside::esTranslateColor(backColor, nullptr);
    const std::string temp = outside::esGetTempFileName2({}, "TMP");
    // The name's empty file exists from here on: every way out removes it.
    try {
        outside::TheTextFile().WriteBytes(temp, bytes);
        auto picture = modGDIPlusLoadAndSave::LoadPictureFromFile(temp, rgb);
        outside::RemoveFile(temp);
        return picture;
    } catch (...) {
        outside::RemoveFile(temp);
        throw;
    }
}

}  // namespace modLoadResPictureByData
