// The XML document object over libxml2: no entity substitution, no DTD
// loading, no network; our own gate refuses DOCTYPEs and deep nesting first.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>

#include "../RuntimeError.h"
#include "../Support.h"
#include "../TextFile.h"
#include "../Utf.h"
#include "../XmlDocument.h"

namespace outside {
namespace {

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

std::string TakeString(xmlChar* s) {
    if (!s) return {};
    std::string out(reinterpret_cast<const char*>(s));
    xmlFree(s);
    return out;
}

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxtFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct XPathCtxFree {
    void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct XPathObjFree {
    void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};

class LibxmlNode final : public XmlNode {
public:
    LibxmlNode(xmlDoc* doc, xmlNode* node) : doc_(doc), node_(node) {}

    std::string Text() const override {
        if (node_->type == XML_DOCUMENT_NODE) {
            xmlNode* root = xmlDocGetRootElement(doc_);
            return root ? TakeString(xmlNodeGetContent(root)) : std::string();
        }
        return TakeString(xmlNodeGetContent(node_));
    }

    void SetText(std::string_view text) override {
        const std::string value(text);
        if (node_->type == XML_ATTRIBUTE_NODE) {
            xmlSetProp(node_->parent, node_->name, X(value));
            return;
        }
        // Raw text node: escaping happens when the document is saved.
        xmlNodeSetContent(node_, nullptr);
        xmlAddChild(node_, xmlNewDocTextLen(doc_, X(value), static_cast<int>(value.size())));
    }

    std::unique_ptr<XmlNode> SelectSingleNode(std::string_view path) const override {
        std::unique_ptr<xmlXPathContext, XPathCtxFree> ctx(xmlXPathNewContext(doc_));
        if (!ctx) return nullptr;
        ctx->node = node_;
        std::unique_ptr<xmlXPathObject, XPathObjFree> result(xmlXPathEvalExpression(X(std::string(path)), ctx.get()));
        if (!result || result->type != XPATH_NODESET || !result->nodesetval || result->nodesetval->nodeNr == 0)
            return nullptr;
        return std::make_unique<LibxmlNode>(doc_, result->nodesetval->nodeTab[0]);
    }

    std::unique_ptr<XmlNode> AppendChild(XmlNodeType type, std::string_view name) override {
        const std::string n(name);
        if (type == XmlNodeType::Attribute) {
            xmlAttr* attr = xmlNewProp(node_, X(n), X(std::string()));
            return std::make_unique<LibxmlNode>(doc_, reinterpret_cast<xmlNode*>(attr));
        }
        xmlNode* element = xmlNewDocNode(doc_, nullptr, X(n), nullptr);
        if (node_->type == XML_DOCUMENT_NODE)
            xmlDocSetRootElement(doc_, element);
        else
            xmlAddChild(node_, element);
        return std::make_unique<LibxmlNode>(doc_, element);
    }

private:
    xmlDoc* doc_;
    xmlNode* node_;
};

class LibxmlDocument final : public XmlDocument {
public:
    bool Load(const std::string& path) override {
        error_ = {};
        doc_.reset();
        std::string bytes;
        if (!ReadXmlForParsing(path, bytes, error_)) return false;
        return Parse(bytes);
    }

    bool LoadXml(std::string_view bytes) override {
        doc_.reset();
        error_ = RefuseUntrustedXml(bytes);
        if (error_.code != 0) return false;
        return Parse(bytes);
    }

private:
    bool Parse(std::string_view bytes) {
        std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
        if (!ctxt) {
            error_.code = kErrOutOfMemory;
            error_.reason = "Не удалось создать анализатор XML";
            return false;
        }
        doc_.reset(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
        if (!doc_ || !ctxt->wellFormed) {
            doc_.reset();
            const xmlError& e = ctxt->lastError;
            error_.code = static_cast<long>(static_cast<int>(0xC00CE000u + static_cast<unsigned>(e.code & 0xFFF)));
            error_.line = e.line;
            error_.column = e.int2;
            // libxml2 quotes the document's own bytes in its messages: they
            // reach the pane, so they must be UTF-8 whatever the file held.
            error_.reason = e.message ? Utf16ToUtf8(Utf8ToUtf16(e.message)) : "Ошибка разбора XML";
            return false;
        }
        return true;
    }

public:
    std::unique_ptr<XmlNode> DocumentNode() override {
        if (!doc_) return nullptr;
        return std::make_unique<LibxmlNode>(doc_.get(), reinterpret_cast<xmlNode*>(doc_.get()));
    }

    void Save(const std::string& path) override {
        if (!doc_) throw RuntimeError(kErrInternal, "Документ XML пуст");
        xmlChar* buffer = nullptr;
        int size = 0;
        xmlDocDumpMemoryEnc(doc_.get(), &buffer, &size, encoding_.c_str());
        if (!buffer) throw RuntimeError(kErrInternal, "Не удалось сохранить документ XML");
        const std::string bytes(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
        xmlFree(buffer);
        WriteFileAtomically(path, bytes);
    }

    bool NewDocument(std::string_view encoding) override {
        error_ = {};
        encoding_ = std::string(encoding);
        doc_.reset(xmlNewDoc(X(std::string("1.0"))));
        return doc_ != nullptr;
    }

    XmlParseError ParseError() const override { return error_; }

private:
    std::unique_ptr<xmlDoc, DocFree> doc_;
    std::string encoding_ = "utf-8";
    XmlParseError error_;
};

}  // namespace

std::unique_ptr<XmlDocument> CreateXmlDocument() { return std::make_unique<LibxmlDocument>(); }

}  // namespace outside
