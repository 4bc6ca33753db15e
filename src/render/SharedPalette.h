#pragma once

#include "platform/Palette.h"

#include <optional>

namespace lumeria {

// The one logical palette every page is shown through. On a display of 256
// colours or fewer it decides the colours on screen; on a true-colour display
// the same calls are made and only keep the entries that 8-bit pictures and
// off-screen pages are given.
class SharedPalette {
public:
    // bitsPerPixel × planes of the display, measured once at start-up.
    explicit SharedPalette(int displayBits = 32);

    // 2^(bits) for displays below 9 bits, else 16777216.
    int displayColourCount() const { return m_displayColours; }
    // The publication's colour count once a page's palette was loaded; the
    // display's before.
    int colourMode() const { return m_mode; }

    // Records the mode; mode 256 takes the given entries, mode 16 the fixed
    // 16-colour table, any other the default 256-colour table; then realizes.
    void load(const Palette& entries, int colourMode);
    // Makes the entries current; true when any differs from the last
    // realized ones.
    bool realize();

    // The entries, each marked no-collapse.
    Palette read() const;
    // A new palette from the shared entries overwritten by the source's,
    // all marked no-collapse; nothing without a source.
    std::optional<Palette> copy(const Palette* source) const;

    // True when a page's colours are the ones loaded (flags ignored).
    bool isCurrent(const Palette& page) const { return samePalette(page, m_entries); }

    // Equal in red, green and blue; flags are ignored.
    static bool samePalette(const Palette& a, const Palette& b);

private:
    int m_displayColours;
    int m_mode;
    Palette m_entries{};
    Palette m_realized{};
    bool m_everRealized = false;
};

// Loads a page's palette when it differs from the shared one; the colour
// mode is the publication's ScreenColors. Returns whether it loaded.
bool loadPagePalette(SharedPalette& shared, const Palette& page, int screenColors);

} // namespace lumeria
