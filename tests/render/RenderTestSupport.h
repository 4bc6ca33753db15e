#pragma once

#include "document/Objects.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"
#include "render/ObjectPainter.h"
#include "render/PaintContext.h"

#include <QGuiApplication>
#include <QImage>

#include <map>

#include <gtest/gtest.h>

namespace lumeria::test {

inline constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);
inline constexpr gdi::ColorRef kBlack = gdi::rgb(0, 0, 0);
inline constexpr gdi::ColorRef kRed = gdi::rgb(255, 0, 0);
inline constexpr gdi::ColorRef kBlue = gdi::rgb(0, 0, 255);
inline constexpr gdi::ColorRef kGreen = gdi::rgb(0, 255, 0);
inline constexpr gdi::ColorRef kYellow = gdi::rgb(255, 255, 0);
inline constexpr gdi::ColorRef kMagenta = gdi::rgb(255, 0, 255);
inline constexpr gdi::ColorRef kShadow = gdi::rgb(128, 128, 128);
inline constexpr gdi::ColorRef kFace = gdi::rgb(192, 192, 192);

// Fonts need a QGuiApplication; the offscreen platform keeps tests headless.
inline void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "gfx_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

inline Object_Rec objectAt(ObjectKind kind, int x1, int y1, int x2, int y2)
{
    Object_Rec o = makeObject(static_cast<uint8_t>(kind));
    o.X1 = x1;
    o.Y1 = y1;
    o.X2 = x2;
    o.Y2 = y2;
    return o;
}

// A bitmap picture of one colour, its key colour its bottom-left pixel.
inline DecodedPicture solidPicture(int w, int h, gdi::ColorRef colour)
{
    DecodedPicture p;
    p.image = QImage(w, h, QImage::Format_RGB32);
    p.image.fill(QColor::fromRgb(gdi::pixelFromColour(colour)));
    p.sourceDepth = 24;
    setBottomLeftTransparentColour(p);
    return p;
}

inline void setPicturePixel(DecodedPicture& p, int x, int y, gdi::ColorRef colour)
{
    p.image.setPixel(x, y, gdi::pixelFromColour(colour));
    setBottomLeftTransparentColour(p);
}

inline gdi::Rect inkBounds(const gdi::Surface& s, gdi::ColorRef background = kWhite)
{
    gdi::Rect bounds;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.colourAt(x, y) != background)
                bounds = bounds.united({x, y, x + 1, y + 1});
        }
    }
    return bounds;
}

// Bounding box of the pixels of one colour, within an area.
inline gdi::Rect boundsOf(const gdi::Surface& s, gdi::ColorRef colour, const gdi::Rect& area)
{
    const gdi::Rect a = area.intersected(s.rect());
    gdi::Rect bounds;
    for (int y = a.top; y < a.bottom; ++y) {
        for (int x = a.left; x < a.right; ++x) {
            if (s.colourAt(x, y) == colour)
                bounds = bounds.united({x, y, x + 1, y + 1});
        }
    }
    return bounds;
}

inline gdi::Rect boundsOf(const gdi::Surface& s, gdi::ColorRef colour)
{
    return boundsOf(s, colour, s.rect());
}

inline int countOf(const gdi::Surface& s, gdi::ColorRef colour)
{
    int n = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x)
            n += s.colourAt(x, y) == colour ? 1 : 0;
    }
    return n;
}

// A surface, a context and the painter on them.
class PainterFixture : public ::testing::Test {
protected:
    // Pictures are served from the pictures map, by the exact name asked for.
    void SetUp() override
    {
        ensureGuiApplication();
        context.loadPicture = [this](const QString& name) -> std::optional<DecodedPicture> {
            const auto it = pictures.find(name);
            if (it == pictures.end())
                return std::nullopt;
            return it->second;
        };
    }

    void resize(int w, int h, gdi::ColorRef fill = kWhite) { surface = gdi::Surface(w, h, fill); }

    void paint(const Object_Rec& object, QPoint origin = {})
    {
        gdi::Canvas canvas(surface);
        ObjectPainter(canvas, context).paintObject(origin, object);
    }

    gdi::ColorRef at(int x, int y) const { return surface.colourAt(x, y); }

    gdi::Surface surface{20, 20};
    PaintContext context;
    std::map<QString, DecodedPicture> pictures;
};

} // namespace lumeria::test
