#include "EffectiveUserName.h"

#include "outside/Support.h"

namespace exchange {

std::string EffectiveUserName(const std::string& name) {
    std::string trimmed = outside::asTrimEx2(name, true, true, true, true);
    return trimmed.empty() ? kDefaultUserName : trimmed;
}

}  // namespace exchange
