#include "Sorter.h"

#include <algorithm>

namespace outside {

void Sorter::Sort(std::vector<std::string>& items) const {
    // Byte order of UTF-8 is code-point order.
    std::sort(items.begin(), items.end());
}

}  // namespace outside
