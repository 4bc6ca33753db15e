#pragma once

#include "container/TextSource.h"
#include "document/Publication.h"
#include "platform/Palette.h"

#include <span>
#include <string_view>

namespace lumeria {

// Status of a load that stopped at the page or object limit.
inline constexpr int kStatusLimitReached = 8;

// Reads a publication text into pub, whose master page exists and whose page
// list is empty. currentPalette is the player's logical palette, which pages
// start from until the text gives a palette of its own. Returns 0, 8 when the
// page or object limit stopped the load (what was built so far stays), or the
// reader's code when the text could not be read (io::kNotInContainer when the
// container has no such text). Lines that mean nothing are skipped silently.
int loadPublication(TextSource& source, Publication& pub, const Palette& currentPalette);

// Fills 256 entries from a PAGEPALETTE= value: numbers each followed by one
// space; a number with no space behind it, and every entry after the given
// ones, reads as 0 (black). Each entry keeps its flags.
void parsePalette(std::string_view text, Palette& palette);

} // namespace lumeria
