// Window captions: "document – Quillet :: state".
#pragma once

#include <string>

namespace modAppWindowTitle {

std::string AppWindowTitle(const std::string& stateText, const std::string& productTitle);
// With the program's own title.
std::string AppWindowTitle(const std::string& stateText);
std::string DocumentWindowTitle(const std::string& stateText, const std::string& documentPath);

}  // namespace modAppWindowTitle
