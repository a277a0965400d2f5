#include "modAppWindowTitle.h"

#include "modFormatVersion.h"
#include "outside/Support.h"

namespace modAppWindowTitle {

std::string AppWindowTitle(const std::string& stateText, const std::string& productTitle) {
    std::string title = productTitle;
    static const std::string kBrand = "Torvane - ";
    for (size_t at; (at = title.find(kBrand)) != std::string::npos;) title.erase(at, kBrand.size());
    if (!stateText.empty()) title += " :: " + stateText;
    return title;
}

std::string AppWindowTitle(const std::string& stateText) {
    return AppWindowTitle(stateText, modFormatVersion::ProductTitle());
}

std::string DocumentWindowTitle(const std::string& stateText, const std::string& documentPath) {
    const std::string name = documentPath.empty() ? "Untitled" : outside::esGetFileName(documentPath, false);
    return name + " \u2013 " + AppWindowTitle(stateText);
}

}  // namespace modAppWindowTitle
