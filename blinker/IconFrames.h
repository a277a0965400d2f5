// IconFrames: the ordered frame collection torFlickon2 animates through.
#pragma once

#include "ComSupport.h"
#include "Flickon0100_idl.h"

namespace flickon {

// A new, empty collection.
ComPtr<_IconFrames> NewIconFrames();

}  // namespace flickon
