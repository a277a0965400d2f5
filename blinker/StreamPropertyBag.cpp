#include "StreamPropertyBag.h"

#include <algorithm>
#include <cstdint>

#include "outside/RuntimeError.h"

namespace flickon {

namespace {

using stream::Entry;
using stream::EntryType;

// Reads in pieces: a length in the stream buys memory only as its bytes arrive.
constexpr ULONG kChunk = 64u << 10;
constexpr uint32_t kMaxObjectBytes = stream::kMaxBodyBytes;

[[noreturn]] void Damaged() { throw outside::RuntimeError(STG_E_READFAULT, "damaged control data in the stream"); }

void WriteRaw(IStream* stream, const void* data, ULONG size) {
    ULONG written = 0;
    Check(stream->Write(data, size, &written), "IStream::Write");
    if (written != size) throw outside::RuntimeError(STG_E_WRITEFAULT, "short write");
}

std::vector<uint8_t> ReadUpTo(IStream* stream, uint32_t size) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < size) {
        const ULONG want = std::min<ULONG>(kChunk, static_cast<ULONG>(size - bytes.size()));
        const size_t at = bytes.size();
        bytes.resize(at + want);
        ULONG read = 0;
        if (FAILED(stream->Read(bytes.data() + at, want, &read)) || read != want) Damaged();
    }
    return bytes;
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Units(const wchar_t* text, size_t size) { return std::u16string(text, text + size); }

std::vector<uint8_t> SaveObject(IUnknown* object) {
    ComPtr<IPersistStream> persist;
    if (FAILED(object->QueryInterface(IID_IPersistStream, persist.put_void()))) {
        throw outside::RuntimeError(E_NOINTERFACE, "the object cannot persist itself");
    }
    ComPtr<IStream> memory;
    Check(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()), "CreateStreamOnHGlobal");
    Check(::OleSaveToStream(persist.get(), memory.get()), "OleSaveToStream");
    ULARGE_INTEGER end{};
    Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end), "IStream::Seek");
    if (end.QuadPart > kMaxObjectBytes) throw outside::RuntimeError(E_OUTOFMEMORY, "object too large");
    Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), "IStream::Seek");
    std::vector<uint8_t> bytes = ReadUpTo(memory.get(), static_cast<uint32_t>(end.QuadPart));
    // Only pictures come back from a stream; a bag refuses to keep anything else.
    if (!stream::IsPictureObject(bytes)) throw outside::RuntimeError(E_INVALIDARG, "only pictures are kept");
    return bytes;
}

// The parser has let through only the picture class; the picture is made
// here by name, so no other class can come from the bytes.
ComPtr<IUnknown> LoadObject(const std::vector<uint8_t>& bytes) {
    if (!stream::IsPictureObject(bytes)) Damaged();
    ComPtr<IStream> memory;
    Check(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()), "CreateStreamOnHGlobal");
    const size_t skip = sizeof stream::kPictureClassBytes;
    if (bytes.size() > skip) WriteRaw(memory.get(), bytes.data() + skip, static_cast<ULONG>(bytes.size() - skip));
    Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), "IStream::Seek");
    ComPtr<IPersistStream> picture;
    Check(::CoCreateInstance(CLSID_StdPicture, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStream, picture.put_void()),
          "CoCreateInstance(StdPicture)");
    Check(picture->Load(memory.get()), "IPersistStream::Load");
    ComPtr<IUnknown> object;
    Check(picture->QueryInterface(IID_IUnknown, object.put_void()), "IPersistStream::QueryInterface");
    return object;
}

}  // namespace

HRESULT StreamPropertyBag::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (Offer(iid, IID_IUnknown, this, out) || Offer(iid, IID_IPropertyBag, this, out)) return S_OK;
    return E_NOINTERFACE;
}

HRESULT StreamPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (!name || !value) return E_POINTER;
    return Guarded(IID_IPropertyBag, [&]() -> HRESULT {
        Entry entry;
        entry.name = Units(name, ::lstrlenW(name));
        if (entry.name.size() > stream::kMaxNameChars) return E_INVALIDARG;
        switch (V_VT(value)) {
            case VT_BOOL:
                entry.type = EntryType::Bool;
                entry.number = V_BOOL(value) != VARIANT_FALSE ? -1 : 0;
                break;
            case VT_BSTR:
                entry.type = EntryType::Text;
                if (V_BSTR(value)) entry.text = Units(V_BSTR(value), ::SysStringLen(V_BSTR(value)));
                if (entry.text.size() > stream::kMaxTextChars) return E_INVALIDARG;
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN: {
                IUnknown* object = V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : V_UNKNOWN(value);
                if (!object) return E_INVALIDARG;
                entry.type = EntryType::Object;
                entry.object = SaveObject(object);
                break;
            }
            default: {
                outside::Variant number;
                if (FAILED(::VariantChangeType(number.get(), value, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
                entry.type = EntryType::Long;
                entry.number = V_I4(number.get());
                break;
            }
        }
        const auto same = std::find_if(entries_.begin(), entries_.end(),
                                       [&](const Entry& e) { return ::lstrcmpiW(Wide(e.name).c_str(), name) == 0; });
        if (same != entries_.end()) {
            *same = std::move(entry);
        } else {
            if (entries_.size() >= stream::kMaxEntries) return E_OUTOFMEMORY;
            entries_.push_back(std::move(entry));
        }
        return S_OK;
    });
}

HRESULT StreamPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    return Guarded(IID_IPropertyBag, [&]() -> HRESULT {
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [&](const Entry& e) { return ::lstrcmpiW(Wide(e.name).c_str(), name) == 0; });
        if (found == entries_.end()) return E_INVALIDARG;
        const VARTYPE wanted = V_VT(value);
        ::VariantInit(value);
        switch (found->type) {
            case EntryType::Bool:
                V_VT(value) = VT_BOOL;
                V_BOOL(value) = found->number ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            case EntryType::Long:
                V_VT(value) = VT_I4;
                V_I4(value) = found->number;
                break;
            case EntryType::Text: {
                const std::wstring text = Wide(found->text);
                V_BSTR(value) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
                if (!V_BSTR(value)) return E_OUTOFMEMORY;
                V_VT(value) = VT_BSTR;
                break;
            }
            case EntryType::Object: {
                ComPtr<IUnknown> object = LoadObject(found->object);
                ComPtr<IDispatch> dispatch;
                if (wanted == VT_DISPATCH && SUCCEEDED(object->QueryInterface(IID_IDispatch, dispatch.put_void()))) {
                    V_VT(value) = VT_DISPATCH;
                    V_DISPATCH(value) = dispatch.detach();
                } else {
                    V_VT(value) = VT_UNKNOWN;
                    V_UNKNOWN(value) = object.detach();
                }
                break;
            }
            default:
                return E_UNEXPECTED;
        }
        return S_OK;
    });
}

void StreamPropertyBag::SaveTo(IStream* stream) const {
    const std::vector<uint8_t> bytes = stream::WriteStream(entries_);
    WriteRaw(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
}

void StreamPropertyBag::LoadFrom(IStream* stream) {
    const std::vector<uint8_t> header = ReadUpTo(stream, stream::kHeaderBytes);
    const std::optional<uint32_t> length = stream::ParseHeader(header);
    if (!length) Damaged();
    // A length beyond the end of the stream is damage, found before any memory is spent on it.
    ULARGE_INTEGER at{};
    STATSTG stat{};
    if (SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at)) &&
        SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart >= at.QuadPart &&
        *length > stat.cbSize.QuadPart - at.QuadPart)
        Damaged();
    entries_ = stream::ParseBody(ReadUpTo(stream, *length));
}

}  // namespace flickon
