// The sorter: ascending text order, in place.
#pragma once

#include <string>
#include <vector>

namespace outside {

class Sorter {
public:
    // Code-point order of the UTF-8 texts, which orders fixed-width time stamps.
    void Sort(std::vector<std::string>& items) const;
};

}  // namespace outside
