// The XML document object over MSXML6 through COM. The file is read by us
// (shared, size-limited) and refused when it carries a DOCTYPE or nests too
// deep; the parser additionally gets ProhibitDTD, no external resolution and
// no validation.
#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include <cstring>

#include "../Support.h"
#include "../TextFile.h"
#include "../XmlDocument.h"
#include "Handles.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

// mingw declares these without defining them.
constexpr IID kIidXmlDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw ComError(hr, what);
}

class MsxmlNode final : public XmlNode {
public:
    MsxmlNode(ComPtr<IXMLDOMDocument2> doc, ComPtr<IXMLDOMNode> node) : doc_(std::move(doc)), node_(std::move(node)) {}

    std::string Text() const override {
        Bstr text;
        Check(node_->get_text(text.put()), "IXMLDOMNode::get_text");
        return U8(text.str());
    }

    void SetText(std::string_view text) override {
        Bstr value(W(text).c_str());
        Check(node_->put_text(value.get()), "IXMLDOMNode::put_text");
    }

    std::unique_ptr<XmlNode> SelectSingleNode(std::string_view path) const override {
        Bstr query(W(path).c_str());
        ComPtr<IXMLDOMNode> found;
        const HRESULT hr = node_->selectSingleNode(query.get(), found.put());
        if (FAILED(hr) || hr == S_FALSE || !found) return nullptr;
        return std::make_unique<MsxmlNode>(doc_, std::move(found));
    }

    std::unique_ptr<XmlNode> AppendChild(XmlNodeType type, std::string_view name) override {
        Bstr bname(W(name).c_str());
        if (type == XmlNodeType::Attribute) {
            auto element = node_.As<IXMLDOMElement>(kIidXmlElement);
            if (!element) throw RuntimeError(kErrInvalidCall, "Атрибут можно добавить только элементу");
            Variant empty;
            empty.get()->vt = VT_BSTR;
            empty.get()->bstrVal = ::SysAllocString(L"");
            Check(element->setAttribute(bname.get(), empty.ref()), "IXMLDOMElement::setAttribute");
            ComPtr<IXMLDOMAttribute> attribute;
            Check(element->getAttributeNode(bname.get(), attribute.put()), "IXMLDOMElement::getAttributeNode");
            return std::make_unique<MsxmlNode>(doc_, attribute.As<IXMLDOMNode>(kIidXmlNode));
        }
        ComPtr<IXMLDOMElement> created;
        Check(doc_->createElement(bname.get(), created.put()), "IXMLDOMDocument::createElement");
        ComPtr<IXMLDOMNode> appended;
        Check(node_->appendChild(created.As<IXMLDOMNode>(kIidXmlNode).get(), appended.put()),
              "IXMLDOMNode::appendChild");
        return std::make_unique<MsxmlNode>(doc_, std::move(appended));
    }

private:
    ComPtr<IXMLDOMDocument2> doc_;
    ComPtr<IXMLDOMNode> node_;
};

class MsxmlDocument final : public XmlDocument {
public:
    MsxmlDocument() { doc_ = NewParser(); }

    bool Load(const std::string& path) override {
        error_ = {};
        std::string bytes;
        if (!ReadXmlForParsing(path, bytes, error_)) return false;
        return Parse(bytes);
    }

    bool LoadXml(std::string_view bytes) override {
        error_ = RefuseUntrustedXml(bytes);
        if (error_.code != 0) return false;
        return Parse(bytes);
    }

private:
    bool Parse(std::string_view bytes) {
        // Hand the parser the bytes we read, as a byte array: it detects the encoding itself.
        SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
        if (!array) throw RuntimeError(kErrOutOfMemory, "Недостаточно памяти");
        void* data = nullptr;
        ::SafeArrayAccessData(array, &data);
        if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
        ::SafeArrayUnaccessData(array);
        Variant source;
        source.get()->vt = VT_ARRAY | VT_UI1;
        source.get()->parray = array;
        VARIANT_BOOL ok = VARIANT_FALSE;
        const HRESULT hr = doc_->load(source.ref(), &ok);
        if (SUCCEEDED(hr) && ok == VARIANT_TRUE) return true;
        ReadParseError(hr);
        return false;
    }

public:
    std::unique_ptr<XmlNode> DocumentNode() override {
        return std::make_unique<MsxmlNode>(doc_, doc_.As<IXMLDOMNode>(kIidXmlNode));
    }

    void Save(const std::string& path) override {
        // MSXML writes in place; write beside the target and rename it into view.
        const std::string temp = TemporaryNameFor(path);
        Variant target;
        target.get()->vt = VT_BSTR;
        target.get()->bstrVal = ::SysAllocString(W(temp).c_str());
        const HRESULT hr = doc_->save(target.ref());
        if (FAILED(hr)) {
            RemoveFile(temp);
            throw ComError(hr, "IXMLDOMDocument::save");
        }
        try {
            ReplaceFile(temp, path);
        } catch (...) {
            RemoveFile(temp);
            throw;
        }
    }

    bool NewDocument(std::string_view encoding) override {
        error_ = {};
        try {
            doc_ = NewParser();
            Bstr target(L"xml");
            Bstr data(W("version=\"1.0\" encoding=\"" + std::string(encoding) + "\"").c_str());
            ComPtr<IXMLDOMProcessingInstruction> declaration;
            if (FAILED(doc_->createProcessingInstruction(target.get(), data.get(), declaration.put()))) return false;
            ComPtr<IXMLDOMNode> appended;
            return SUCCEEDED(
                doc_->appendChild(declaration.As<IXMLDOMNode>(kIidXmlNode).get(), appended.put()));
        } catch (const RuntimeError&) {
            return false;
        }
    }

    XmlParseError ParseError() const override { return error_; }

private:
    static ComPtr<IXMLDOMDocument2> NewParser() {
        CLSID clsid{};
        Check(::CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid), "Msxml2.DOMDocument.6.0");
        ComPtr<IXMLDOMDocument2> doc;
        Check(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDocument2, doc.put_void()),
              "Msxml2.DOMDocument.6.0");
        doc->put_async(VARIANT_FALSE);
        doc->put_validateOnParse(VARIANT_FALSE);
        doc->put_resolveExternals(VARIANT_FALSE);
        doc->put_preserveWhiteSpace(VARIANT_TRUE);
        const auto set = [&](const wchar_t* name, VARIANT value) {
            Bstr n(name);
            doc->setProperty(n.get(), value);  // best effort: older parsers lack some of these
        };
        VARIANT v;
        v.vt = VT_BOOL;
        v.boolVal = VARIANT_TRUE;
        set(L"ProhibitDTD", v);
        v.boolVal = VARIANT_FALSE;
        set(L"AllowDocumentFunction", v);
        set(L"AllowXsltScript", v);
        v.vt = VT_I4;
        v.lVal = kMaxXmlDepth;
        set(L"MaxElementDepth", v);
        return doc;
    }

    void ReadParseError(HRESULT loadResult) {
        ComPtr<IXMLDOMParseError> pe;
        if (SUCCEEDED(doc_->get_parseError(pe.put())) && pe) {
            long code = 0, line = 0, column = 0;
            Bstr reason;
            pe->get_errorCode(&code);
            pe->get_line(&line);
            pe->get_linepos(&column);
            pe->get_reason(reason.put());
            error_.code = code;
            error_.line = line;
            error_.column = column;
            error_.reason = U8(reason.str());
        }
        if (error_.code == 0) error_.code = FAILED(loadResult) ? static_cast<long>(loadResult) : static_cast<long>(E_FAIL);
        if (error_.reason.empty()) error_.reason = "Ошибка разбора XML";
    }

    ComPtr<IXMLDOMDocument2> doc_;
    XmlParseError error_;
};

}  // namespace

std::unique_ptr<XmlDocument> CreateXmlDocument() { return std::make_unique<MsxmlDocument>(); }

}  // namespace outside
