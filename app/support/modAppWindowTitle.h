// Window captions: "document – Quillet :: state".
#pragma once

#include <string>

namespace modAppWindowTitle {

std::string AppWindowTitle(const std::string& stateText, const std::string& productTitle = "Torvane - Quillet");
std::string DocumentWindowTitle(const std::string& stateText, const std::string& documentPath);

}  // namespace modAppWindowTitle
