#include "StreamPropertyBag.h"

#include <algorithm>
#include <cstdint>

#include "outside/RuntimeError.h"

namespace flickon {

namespace {

constexpr char kMagic[4] = {'F', 'L', 'K', 'B'};
constexpr uint32_t kVersion = 1;
// Bounds that a damaged stream cannot talk us past.
constexpr uint32_t kMaxEntries = 64;
constexpr uint32_t kMaxNameChars = 256;
constexpr uint32_t kMaxTextChars = 1u << 20;
constexpr uint32_t kMaxObjectBytes = 64u << 20;  // also bounds the whole body

[[noreturn]] void Damaged() { throw outside::RuntimeError(STG_E_READFAULT, "damaged control data in the stream"); }

void WriteRaw(IStream* stream, const void* data, ULONG size) {
    ULONG written = 0;
    Check(stream->Write(data, size, &written), "IStream::Write");
    if (written != size) throw outside::RuntimeError(STG_E_WRITEFAULT, "short write");
}

void ReadRaw(IStream* stream, void* data, ULONG size) {
    ULONG read = 0;
    if (FAILED(stream->Read(data, size, &read)) || read != size) Damaged();
}

// The entries are built in memory and go to the stream behind their length,
// so a reader always knows where our data ends, even when an entry inside
// it is damaged.
class ByteWriter {
public:
    void Raw(const void* data, size_t size) {
        const auto* p = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    template <typename T>
    void Put(T value) {
        Raw(&value, sizeof value);
    }
    void Text(const std::wstring& text) {
        Put<uint32_t>(static_cast<uint32_t>(text.size()));
        Raw(text.data(), text.size() * sizeof(wchar_t));
    }
    const std::vector<BYTE>& Bytes() const { return bytes_; }

private:
    std::vector<BYTE> bytes_;
};

class ByteReader {
public:
    explicit ByteReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    void Raw(void* data, size_t size) {
        if (size > bytes_.size() - position_) Damaged();
        std::copy_n(bytes_.data() + position_, size, static_cast<BYTE*>(data));
        position_ += size;
    }
    template <typename T>
    T Get() {
        T value{};
        Raw(&value, sizeof value);
        return value;
    }
    std::wstring Text(uint32_t maxChars) {
        const uint32_t n = Get<uint32_t>();
        if (n > maxChars) Damaged();
        std::wstring text(n, L'\0');
        Raw(text.data(), n * sizeof(wchar_t));
        return text;
    }

private:
    const std::vector<BYTE>& bytes_;
    size_t position_ = 0;
};

std::vector<BYTE> SaveObject(IUnknown* object) {
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
    std::vector<BYTE> bytes(static_cast<size_t>(end.QuadPart));
    Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), "IStream::Seek");
    if (!bytes.empty()) ReadRaw(memory.get(), bytes.data(), static_cast<ULONG>(bytes.size()));
    return bytes;
}

ComPtr<IUnknown> LoadObject(const std::vector<BYTE>& bytes) {
    ComPtr<IStream> memory;
    Check(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()), "CreateStreamOnHGlobal");
    if (!bytes.empty()) WriteRaw(memory.get(), bytes.data(), static_cast<ULONG>(bytes.size()));
    Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), "IStream::Seek");
    ComPtr<IUnknown> object;
    Check(::OleLoadFromStream(memory.get(), IID_IUnknown, object.put_void()), "OleLoadFromStream");
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
        entry.name = name;
        if (entry.name.size() > kMaxNameChars) return E_INVALIDARG;
        switch (V_VT(value)) {
            case VT_BOOL:
                entry.type = VT_BOOL;
                entry.number = V_BOOL(value) != VARIANT_FALSE ? -1 : 0;
                break;
            case VT_BSTR:
                entry.type = VT_BSTR;
                if (V_BSTR(value)) entry.text.assign(V_BSTR(value), ::SysStringLen(V_BSTR(value)));
                if (entry.text.size() > kMaxTextChars) return E_INVALIDARG;
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN: {
                IUnknown* object = V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : V_UNKNOWN(value);
                if (!object) return E_INVALIDARG;
                entry.type = VT_UNKNOWN;
                entry.object = SaveObject(object);
                break;
            }
            default: {
                outside::Variant number;
                if (FAILED(::VariantChangeType(number.get(), value, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
                entry.type = VT_I4;
                entry.number = V_I4(number.get());
                break;
            }
        }
        const auto same = std::find_if(entries_.begin(), entries_.end(),
                                       [&](const Entry& e) { return ::lstrcmpiW(e.name.c_str(), name) == 0; });
        if (same != entries_.end()) {
            *same = std::move(entry);
        } else {
            if (entries_.size() >= kMaxEntries) return E_OUTOFMEMORY;
            entries_.push_back(std::move(entry));
        }
        return S_OK;
    });
}

HRESULT StreamPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    return Guarded(IID_IPropertyBag, [&]() -> HRESULT {
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [&](const Entry& e) { return ::lstrcmpiW(e.name.c_str(), name) == 0; });
        if (found == entries_.end()) return E_INVALIDARG;
        const VARTYPE wanted = V_VT(value);
        ::VariantInit(value);
        switch (found->type) {
            case VT_BOOL:
                V_VT(value) = VT_BOOL;
                V_BOOL(value) = found->number ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            case VT_I4:
                V_VT(value) = VT_I4;
                V_I4(value) = found->number;
                break;
            case VT_BSTR:
                V_BSTR(value) = ::SysAllocStringLen(found->text.data(), static_cast<UINT>(found->text.size()));
                if (!V_BSTR(value)) return E_OUTOFMEMORY;
                V_VT(value) = VT_BSTR;
                break;
            case VT_UNKNOWN: {
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
    ByteWriter body;
    body.Put<uint32_t>(static_cast<uint32_t>(entries_.size()));
    for (const Entry& e : entries_) {
        body.Text(e.name);
        body.Put<uint16_t>(e.type);
        switch (e.type) {
            case VT_BOOL:
                body.Put<int16_t>(static_cast<int16_t>(e.number));
                break;
            case VT_I4:
                body.Put<int32_t>(static_cast<int32_t>(e.number));
                break;
            case VT_BSTR:
                body.Text(e.text);
                break;
            default:
                body.Put<uint32_t>(static_cast<uint32_t>(e.object.size()));
                body.Raw(e.object.data(), e.object.size());
                break;
        }
    }
    const uint32_t header[2] = {kVersion, static_cast<uint32_t>(body.Bytes().size())};
    WriteRaw(stream, kMagic, sizeof kMagic);
    WriteRaw(stream, header, sizeof header);
    if (!body.Bytes().empty()) WriteRaw(stream, body.Bytes().data(), static_cast<ULONG>(body.Bytes().size()));
}

void StreamPropertyBag::LoadFrom(IStream* stream) {
    char magic[sizeof kMagic];
    uint32_t header[2];
    ReadRaw(stream, magic, sizeof magic);
    ReadRaw(stream, header, sizeof header);
    if (!std::equal(magic, magic + sizeof magic, kMagic) || header[0] != kVersion) Damaged();
    if (header[1] > kMaxObjectBytes) Damaged();
    std::vector<BYTE> bytes(header[1]);
    if (!bytes.empty()) ReadRaw(stream, bytes.data(), static_cast<ULONG>(bytes.size()));

    ByteReader body(bytes);
    std::vector<Entry> entries;
    // Entries read before a damaged one still count: each property stands
    // on its own, and the rest take their defaults.
    try {
        const uint32_t count = body.Get<uint32_t>();
        if (count > kMaxEntries) Damaged();
        for (uint32_t i = 0; i < count; ++i) {
            Entry e;
            e.name = body.Text(kMaxNameChars);
            e.type = body.Get<uint16_t>();
            switch (e.type) {
                case VT_BOOL:
                    e.number = body.Get<int16_t>();
                    break;
                case VT_I4:
                    e.number = body.Get<int32_t>();
                    break;
                case VT_BSTR:
                    e.text = body.Text(kMaxTextChars);
                    break;
                case VT_UNKNOWN: {
                    const uint32_t n = body.Get<uint32_t>();
                    if (n > kMaxObjectBytes) Damaged();
                    e.object.resize(n);
                    body.Raw(e.object.data(), n);
                    break;
                }
                default:
                    Damaged();
            }
            entries.push_back(std::move(e));
        }
    } catch (const outside::RuntimeError&) {
        // keep what was read
    }
    entries_ = std::move(entries);
}

}  // namespace flickon
