#pragma once

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"

#include <QGuiApplication>
#include <string>

namespace lumeria::gdi::test {

inline constexpr ColorRef kWhite = rgb(255, 255, 255);
inline constexpr ColorRef kBlack = rgb(0, 0, 0);
inline constexpr ColorRef kRed = rgb(255, 0, 0);
inline constexpr ColorRef kBlue = rgb(0, 0, 255);

// Text needs a QGuiApplication; tests that measure or draw text call this
// first. The offscreen platform keeps them headless.
inline void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// The surface as rows of characters: '#' where the pixel is ink, '.' where it
// is anything else. Pixel expectations read as pictures.
inline std::string picture(const Surface& s, ColorRef ink = kBlack)
{
    std::string out;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x)
            out += s.colourAt(x, y) == ink ? '#' : '.';
        out += '\n';
    }
    return out;
}

inline std::string rowOf(const Surface& s, int y, ColorRef ink = kBlack)
{
    std::string out;
    for (int x = 0; x < s.width(); ++x)
        out += s.colourAt(x, y) == ink ? '#' : '.';
    return out;
}

inline int countOf(const Surface& s, ColorRef colour)
{
    int n = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x)
            n += s.colourAt(x, y) == colour ? 1 : 0;
    }
    return n;
}

// Bounding box of every pixel not of the background colour.
inline Rect inkBounds(const Surface& s, ColorRef background = kWhite)
{
    Rect bounds;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.colourAt(x, y) != background)
                bounds = bounds.united({x, y, x + 1, y + 1});
        }
    }
    return bounds;
}

} // namespace lumeria::gdi::test
