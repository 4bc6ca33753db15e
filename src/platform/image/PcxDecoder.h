#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <cstddef>
#include <span>

namespace lumeria {

// Decodes a ZSoft PCX picture (versions 0 to 5, run-length encoded): 1 bit
// with 1 to 4 planes, 2, 4 and 8 bits with one plane, and 8 bits with 3 or 4
// planes (true colour; a fourth plane is ignored). Fails with
// picture::kUndecodable for a malformed or truncated file and
// picture::kTooLarge for a window beyond the limits of DecodedPicture.h or
// larger than its data could describe.
Result<DecodedPicture> decodePcx(std::span<const std::byte> data);

} // namespace lumeria
