// The program's identity: its title, version and legal line. On Windows they
// are read from the running program's version resource, so that one edit of
// the identity changes every place that shows it.
#pragma once

#include <string>

namespace outside {

struct ProductIdentity {
    std::string title;  // "Torvane - Quillet": message boxes, system lines, about box
    std::string legal;
    int major = 0, minor = 0, revision = 0;
};

const ProductIdentity& TheProductIdentity();
// The identity compiled into the program, for builds without a version resource.
ProductIdentity CompiledProductIdentity();

}  // namespace outside
