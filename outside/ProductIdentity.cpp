#include "ProductIdentity.h"

#include <QuilletIdentity.h>  // generated from app/resources/QuilletIdentity.h.in

namespace outside {

ProductIdentity CompiledProductIdentity() {
    return {QUILLET_PRODUCT_TITLE, QUILLET_LEGAL, QUILLET_VERSION_MAJOR, QUILLET_VERSION_MINOR,
            QUILLET_VERSION_REVISION};
}

}  // namespace outside
