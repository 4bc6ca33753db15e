#include "render/SharedPalette.h"

namespace lumeria {

namespace {

Palette noCollapse(Palette p)
{
    for (PaletteEntry& e : p)
        e.flags = kNoCollapse;
    return p;
}

} // namespace

SharedPalette::SharedPalette(int displayBits)
    : m_displayColours(displayBits > 0 && displayBits < 9 ? 1 << displayBits : 16777216), m_mode(m_displayColours)
{
    // A 16-colour display starts with the 16-colour table, every other one
    // with the default table.
    load(defaultPalette256(), m_displayColours);
}

void SharedPalette::load(const Palette& entries, int colourMode)
{
    m_mode = colourMode;
    if (colourMode == 256)
        m_entries = noCollapse(entries);
    else if (colourMode == 16)
        m_entries = noCollapse(sixteenColourPalette());
    else
        m_entries = noCollapse(defaultPalette256());
    realize();
}

bool SharedPalette::realize()
{
    const bool changed = !m_everRealized || !samePalette(m_entries, m_realized);
    m_realized = m_entries;
    m_everRealized = true;
    return changed;
}

Palette SharedPalette::read() const
{
    return noCollapse(m_entries);
}

std::optional<Palette> SharedPalette::copy(const Palette* source) const
{
    if (!source)
        return std::nullopt;
    return noCollapse(*source);
}

bool SharedPalette::samePalette(const Palette& a, const Palette& b)
{
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].red != b[i].red || a[i].green != b[i].green || a[i].blue != b[i].blue)
            return false;
    }
    return true;
}

bool loadPagePalette(SharedPalette& shared, const Palette& page, int screenColors)
{
    if (shared.isCurrent(page))
        return false;
    shared.load(page, screenColors);
    return true;
}

} // namespace lumeria
