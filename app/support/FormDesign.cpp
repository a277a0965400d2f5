#include "FormDesign.h"

namespace support {

FormKey FormKeyFor(int virtualKey, Modifiers m) {
    switch (virtualKey) {
        case kVkF1: return m.None() ? FormKey::ReadMe : m.ShiftOnly() ? FormKey::About : FormKey::None;
        case kVkEscape: return m.None() ? FormKey::Close : FormKey::Swallow;
        default: return FormKey::None;
    }
}

}  // namespace support
