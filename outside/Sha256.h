// SHA-256 of bytes (FIPS 180-4): the fingerprint of a message's identity in
// the ledger of shown messages, which other members of a chat cannot steer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace outside {

std::array<uint8_t, 32> Sha256(std::string_view bytes);

}  // namespace outside
