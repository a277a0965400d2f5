// Reading and writing a control's properties through a container's property
// bag, one property at a time: a property that cannot be read yields its
// default, a write that fails is skipped, and neither stops the others.
// Values equal to their default are not written.
#pragma once

#include <string>

#include "ComSupport.h"

namespace flickon {

class PropertyReader {
public:
    PropertyReader(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}

    bool ReadBool(const wchar_t* name, bool fallback);
    long ReadLong(const wchar_t* name, long fallback);
    // None when the entry is absent, unreadable or not an object.
    ComPtr<IUnknown> ReadObject(const wchar_t* name);
    ComPtr<IPictureDisp> ReadPicture(const wchar_t* name);

private:
    // The entry converted to wanted, or false.
    bool Read(const wchar_t* name, VARTYPE wanted, VARIANT* value) noexcept;

    IPropertyBag* bag_;
    IErrorLog* log_;
};

class PropertyWriter {
public:
    explicit PropertyWriter(IPropertyBag* bag) : bag_(bag) {}

    void WriteBool(const wchar_t* name, bool value, bool fallback);
    void WriteLong(const wchar_t* name, long value, long fallback);
    // An object whose default is none: nothing is written for none.
    void WriteObject(const wchar_t* name, IUnknown* object);
    // A text without default: always written.
    void WriteText(const wchar_t* name, const std::string& text);

private:
    void Write(const wchar_t* name, VARIANT* value) noexcept;

    IPropertyBag* bag_;
};

}  // namespace flickon
