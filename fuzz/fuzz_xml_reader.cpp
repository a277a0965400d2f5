// The XML reader on any file, through our gate and libxml2: it never fails to
// decide, everything it shows is UTF-8 and reaches the pane intact. And the
// gate holds: whatever it lets through, the parser finds no DTD in and no
// element deeper than the limit (the parser is asked with our options).
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <libxml/tree.h>

#include "FuzzSupport.h"
#include "app/exchange/MessageFiles.h"
#include "outside/XmlDocument.h"

namespace {

int Depth(const xmlNode* node) {
    int deepest = 0;
    for (const xmlNode* child = node ? node->children : nullptr; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) deepest = std::max(deepest, 1 + Depth(child));
    return deepest;
}

void CheckGate(std::string_view bytes) {
    if (outside::RefuseUntrustedXml(bytes).code != 0) return;
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return;
    const bool dtd = doc->intSubset || doc->extSubset;
    const int depth = Depth(reinterpret_cast<xmlNode*>(doc));
    xmlFreeDoc(doc);
    fuzz::Require(!dtd, "the gate let a DTD through");
    fuzz::Require(depth <= outside::kMaxXmlDepth, "the gate let deeper nesting through");
}

void Silent(void*, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    xmlSetGenericErrorFunc(nullptr, Silent);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckGate(bytes);
    // What DispatchMessage_XML does once the file is read, without the file.
    fuzz::CheckedDisplay display;
    const exchange::DispatchResult result =
        exchange::ReadXmlMessage(bytes, "/chat/2024-01-31 13-05-07-042 {A}.ZXMF", display, "{MINE}");
    fuzz::CheckReading(result, display);
    return 0;
}
