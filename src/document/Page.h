#pragma once

#include "document/Objects.h"
#include "platform/Palette.h"

#include <QString>

#include <memory>
#include <vector>

namespace lumeria {

// A page's palette, never changed once the page is made. The pages of a
// publication nearly always repeat one palette, and at a kilobyte a page a
// copy each adds up over thousands of pages, so equal palettes share one.
class PagePaletteRef {
public:
    PagePaletteRef();
    explicit PagePaletteRef(std::shared_ptr<const Palette> palette) : m_palette(std::move(palette)) {}

    const Palette& get() const { return *m_palette; }
    operator const Palette&() const { return *m_palette; }
    const PaletteEntry& operator[](size_t i) const { return (*m_palette)[i]; }
    Palette::const_iterator begin() const { return m_palette->begin(); }
    Palette::const_iterator end() const { return m_palette->end(); }
    bool sharesWith(const PagePaletteRef& other) const { return m_palette == other.m_palette; }

    friend bool operator==(const PagePaletteRef& a, const Palette& b) { return *a.m_palette == b; }

private:
    std::shared_ptr<const Palette> m_palette;
};

struct Page_Rec {
    QString Name;
    int32_t PageColor = 0;
    uint8_t PageEffect = 0;
    uint8_t EffectSpeed = 0;
    uint8_t PageStyle = 0;
    QString PageWallpaper;
    bool ShowMaster = false;
    QString PageAction;
    QString ExitAction;
    PagePaletteRef PagePalette;
    // In drawing and hit-testing order: a later object lies on top. Objects
    // are held by pointer so that run-time references to them stay valid.
    std::vector<std::unique_ptr<Object_Rec>> Objects;
    // The page that was current when this one was last entered.
    Page_Rec* CameFrom = nullptr;
};

} // namespace lumeria
