#include "render/PageLayout.h"

#include "platform/gdi/Canvas.h"

#include <algorithm>
#include <cstdint>

namespace lumeria {

namespace {

int held(int64_t v)
{
    return heldCoordinate(v);
}

} // namespace

int heldCoordinate(int64_t v)
{
    return int(std::clamp<int64_t>(v, kMinCoordinate, kMaxCoordinate));
}

gdi::Rect objectFrame(const Object_Rec& object)
{
    return gdi::Rect{held(object.X1), held(object.Y1), held(object.X2), held(object.Y2)}.normalized();
}

int objectLineWidth(const Object_Rec& object)
{
    return std::clamp<int32_t>(object.LineWidth, 0, kMaxCoordinate);
}

gdi::Rect objectInterior(const Object_Rec& object)
{
    return objectFrame(object).deflated(objectLineWidth(object));
}

QPoint centredPageOrigin(QSize client, QSize page)
{
    return QPoint(std::max(0, client.width() / 2 - page.width() / 2),
                  std::max(0, client.height() / 2 - page.height() / 2));
}

PagePlacement placeFullScreen(QSize screen, QSize page)
{
    PagePlacement p;
    p.window = gdi::Rect::fromSize(0, 0, screen.width(), screen.height());
    p.client = screen;
    const QPoint origin = centredPageOrigin(screen, page);
    p.page = gdi::Rect::fromSize(origin.x(), origin.y(), page.width(), page.height());
    return p;
}

PagePlacement placeWindowed(QSize screen, QSize page, QSize frame)
{
    PagePlacement p;
    p.client = QSize(std::min(screen.width(), page.width()), std::min(screen.height(), page.height()));
    const int width = p.client.width() + frame.width();
    const int height = p.client.height() + frame.height();
    p.window = gdi::Rect::fromSize(screen.width() / 2 - width / 2, screen.height() / 2 - height / 2, width, height);
    p.page = gdi::Rect::fromSize(0, 0, page.width(), page.height());
    return p;
}

int largestWholeFactor(QSize room, QSize page)
{
    if (page.width() <= 0 || page.height() <= 0)
        return 1;
    return std::max(1, std::min(room.width() / page.width(), room.height() / page.height()));
}

ScrollBarNeed scrollBarsNeeded(QSize client, QSize page)
{
    return {page.width() > client.width(), page.height() > client.height()};
}

std::vector<gdi::Rect> marginBands(QSize client, const gdi::Rect& page)
{
    const gdi::Rect all = gdi::Rect::fromSize(0, 0, client.width(), client.height());
    const gdi::Rect bands[] = {
        {0, 0, client.width(), page.top},
        {0, page.top, page.left, page.bottom},
        {page.right, page.top, client.width(), page.bottom},
        {0, page.bottom, client.width(), client.height()},
    };
    std::vector<gdi::Rect> result;
    for (const gdi::Rect& band : bands) {
        const gdi::Rect r = band.intersected(all);
        if (!r.isEmpty())
            result.push_back(r);
    }
    return result;
}

void paintMargins(gdi::Canvas& canvas, const MarginRequest& request)
{
    constexpr gdi::ColorRef kBlack = gdi::rgb(0, 0, 0);
    if (request.firstPage == FirstPage::Pending) {
        canvas.fillRect(gdi::Rect::fromSize(0, 0, request.client.width(), request.client.height()),
                        gdi::Brush::solid(kBlack));
        return;
    }
    const gdi::Brush brush = gdi::Brush::solid(
        request.mode == ScreenMode::FullScreen ? kBlack : gdi::systemColour(gdi::SystemColour::ButtonFace));
    for (const gdi::Rect& band : marginBands(request.client, request.page))
        canvas.fillRect(band, brush);
}

gdi::Rect objectRepaintRect(const Object_Rec& object, QPoint origin)
{
    const gdi::Rect r = objectFrame(object);
    int64_t spread = 0;
    if (object.is(ObjectKind::Line) && object.LineWidth >= 2)
        spread = std::min<int64_t>(object.LineWidth, kMaxCoordinate) / 2 + 1;
    return {held(int64_t(r.left) - spread + origin.x()), held(int64_t(r.top) - spread + origin.y()),
            held(int64_t(r.right) + 1 + spread + origin.x()), held(int64_t(r.bottom) + 1 + spread + origin.y())};
}

std::vector<gdi::Rect> movedRepaintRects(const gdi::Rect& before, const gdi::Rect& after)
{
    if (before.isEmpty() || after.isEmpty()) {
        std::vector<gdi::Rect> one;
        if (!before.isEmpty())
            one.push_back(before);
        if (!after.isEmpty())
            one.push_back(after);
        return one;
    }
    if (!before.intersected(after).isEmpty())
        return {before.united(after)};
    return {before, after};
}

} // namespace lumeria
