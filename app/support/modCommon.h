// Small text helpers shared across the program.
#pragma once

#include <string>
#include <string_view>

namespace modCommon {

// Every line break (CR LF, lone LF, lone CR) becomes CR LF.
std::string NormalizeLineBreaks(std::string_view text);

}  // namespace modCommon
