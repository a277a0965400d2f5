#pragma once

#include <string>

namespace exchange {

inline constexpr const char* kDefaultUserName = "Анонимус";

// The name without blanks and line breaks at its ends; "Анонимус" when nothing is left.
std::string EffectiveUserName(const std::string& name);

}  // namespace exchange
