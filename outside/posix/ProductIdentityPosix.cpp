// Without a version resource the identity is the one compiled in.
#include "../ProductIdentity.h"

namespace outside {

const ProductIdentity& TheProductIdentity() {
    static const ProductIdentity identity = CompiledProductIdentity();
    return identity;
}

}  // namespace outside
