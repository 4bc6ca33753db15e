#include "platform/image/WmfPlayback.h"

#include "platform/gdi/DcStateSaver.h"
#include "platform/image/PictureError.h"

#include <QDebug>

#include <algorithm>

namespace lumeria::wmf {

using gdi::ColorRef;
using gdi::Rect;
using gdi::Region;

namespace {

constexpr int64_t kMaxLength = 2048;
// A figure's pixels are held to the target and this margin around it.
constexpr int64_t kMarginPixels = 256;

int nonZero(int v)
{
    return v == 0 ? 1 : v;
}

} // namespace

Player::Player(gdi::Canvas& canvas, const Rect& target, QSize frame, std::optional<Rect> placeableBox, int objects)
    : m_canvas(canvas), m_target(target), m_frame(frame), m_objects(size_t(std::max(objects, 1)))
{
    if (m_frame.width() <= 0 || m_frame.height() <= 0)
        m_frame = QSize(std::max(1, target.width()), std::max(1, target.height()));
    // The frame is the viewport; the window is the placeable box when there
    // is one, else the frame again until the file sets its own.
    m_state.mapping.viewportExt = m_frame;
    if (placeableBox) {
        m_placeable = true;
        m_state.mapping.windowOrg = QPoint(placeableBox->left, placeableBox->top);
        m_state.mapping.windowExt = QSize(placeableBox->width(), placeableBox->height());
    } else {
        m_state.mapping.windowExt = m_frame;
    }
}

Result<bool> Player::play(std::span<const std::byte> records)
{
    ByteReader r(records);
    // The caller's state is left as it was, and applyCanvasState rebuilds
    // the player's on top of it.
    const gdi::DcStateSaver saved(m_canvas);
    m_callerState = m_canvas.state();
    m_canvas.clipTo(m_target);
    const Result<bool> result = playRecords(r);
    if (m_skipped > 0)
        qDebug("metafile: %d records skipped", m_skipped);
    return result;
}

Result<bool> Player::playRecords(ByteReader& r)
{
    while (!r.atEnd()) {
        const auto sizeWords = r.u32le();
        const auto function = r.u16le();
        if (!function || *sizeWords < 3 || *sizeWords > r.remaining() / 2 + 3)
            return Failure{picture::kUndecodable};
        const auto params = r.bytes(size_t(*sizeWords - 3) * 2);
        if (!params)
            return Failure{picture::kUndecodable};
        if (*function == kEof)
            return true;
        // Windows plays what it knows and passes over the rest; so does the
        // player, so one exotic record does not cost the whole picture.
        const RecordHandler handler = handlerFor(*function);
        ByteReader p(*params);
        if (!handler || !(this->*handler)(p))
            ++m_skipped;
    }
    // Every metafile ends with its end record; without it the file was
    // cut short.
    return Failure{picture::kUndecodable};
}

Player::Scale Player::scale(bool vertical) const
{
    const Mapping& m = m_state.mapping;
    auto axis = [&](bool v) -> Scale {
        switch (m.mode) {
        case 1: return {1, 1}; // MM_TEXT: a unit is a pixel
        case 2: return {v ? -96 : 96, 254};
        case 3: return {v ? -96 : 96, 2540};
        case 4: return {v ? -96 : 96, 100};
        case 5: return {v ? -96 : 96, 1000};
        case 6: return {v ? -96 : 96, 1440};
        default:
            return v ? Scale{m.viewportExt.height(), nonZero(m.windowExt.height())}
                     : Scale{m.viewportExt.width(), nonZero(m.windowExt.width())};
        }
    };
    Scale s = axis(vertical);
    if (m.mode == 7) {
        // MM_ISOTROPIC: both axes take the smaller of the two scales, each
        // keeping its own direction.
        const Scale other = axis(!vertical);
        if (std::abs(s.num * other.den) > std::abs(other.num * s.den)) {
            const bool negative = (s.num < 0) != (s.den < 0);
            s = {negative ? -std::abs(other.num) : std::abs(other.num), std::abs(other.den)};
        }
    }
    return s;
}

// Logical coordinates to the canvas: through the window and viewport to the
// frame, then from the frame to the target, in one exact fraction rounded
// once (towards zero, as the picture's first release did). Points are held
// to a margin around the target: a figure reaching far beyond the picture
// shows nothing more, and a hostile file must not make the rasterisers walk
// shapes of billions of pixels.
QPoint Player::map(int x, int y) const
{
    const Mapping& m = m_state.mapping;
    auto axis = [&](bool vertical, int v) {
        const Scale s = scale(vertical);
        const int64_t origin = vertical ? m.windowOrg.y() : m.windowOrg.x();
        const int64_t viewport = vertical ? m.viewportOrg.y() : m.viewportOrg.x();
        const int64_t target = vertical ? m_target.height() : m_target.width();
        const int64_t frame = vertical ? m_frame.height() : m_frame.width();
        return ((v - origin) * s.num + viewport * s.den) * target / (s.den * frame);
    };
    const int64_t dx = m_target.left + axis(false, x);
    const int64_t dy = m_target.top + axis(true, y);
    const int64_t margin = 2 * int64_t(std::max(m_target.width(), m_target.height())) + kMarginPixels;
    return {int(std::clamp<int64_t>(dx, m_target.left - margin, m_target.right + margin)),
            int(std::clamp<int64_t>(dy, m_target.top - margin, m_target.bottom + margin))};
}

// Lengths (pen widths, corner sizes, font heights) are held to what a page
// could show.
int Player::mapLength(int v, bool vertical) const
{
    const Scale s = scale(vertical);
    const int64_t target = vertical ? m_target.height() : m_target.width();
    const int64_t frame = vertical ? m_frame.height() : m_frame.width();
    return int(std::min<int64_t>(std::abs(int64_t(v) * s.num * target / (s.den * frame)), kMaxLength));
}

Rect Player::mapRect(int left, int top, int right, int bottom) const
{
    const QPoint a = map(left, top), b = map(right, bottom);
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

bool Player::readPoints(ByteReader& p, int count, std::vector<QPoint>& out) const
{
    constexpr int kMaxPoints = 65536;
    if (count < 0 || count > kMaxPoints || p.remaining() < size_t(count) * 4)
        return false;
    for (int i = 0; i < count; ++i) {
        const int x = int16_t(*p.u16le()), y = int16_t(*p.u16le());
        out.push_back(map(x, y));
    }
    return true;
}

bool Player::create(GdiObject object)
{
    for (GdiObject& slot : m_objects) {
        if (slot.kind == GdiObject::Kind::Empty) {
            slot = std::move(object);
            return true;
        }
    }
    return false;
}

GdiObject* Player::objectAt(ByteReader& p)
{
    const auto index = p.u16le();
    if (!index || *index >= m_objects.size() || m_objects[*index].kind == GdiObject::Kind::Empty)
        return nullptr;
    return &m_objects[*index];
}

void Player::withBrushColours(const std::function<void()>& draw)
{
    if (m_state.brushColours == GdiObject::Colours::Dc) {
        draw();
        return;
    }
    const ColorRef text = m_canvas.state().textColour, back = m_canvas.state().backgroundColour;
    m_canvas.setTextColour(m_state.brushFore);
    if (m_state.brushColours == GdiObject::Colours::Own)
        m_canvas.setBackgroundColour(m_state.brushBack);
    draw();
    m_canvas.setTextColour(text);
    m_canvas.setBackgroundColour(back);
}

void Player::applyCanvasState(const gdi::DcState& state)
{
    m_canvas.setState(m_callerState);
    m_canvas.setPen(state.pen);
    m_canvas.setBrush(state.brush);
    m_canvas.setRop2(state.rop2);
    m_canvas.setTextColour(state.textColour);
    m_canvas.setBackgroundMode(state.backgroundMode);
    m_canvas.setBackgroundColour(state.backgroundColour);
    m_canvas.setFont(state.font);
    m_canvas.moveTo(state.currentPosition);
    m_canvas.clipTo(m_target);
    if (m_state.clip)
        m_canvas.clipTo(*m_state.clip);
}

Region Player::currentClip() const
{
    return m_state.clip ? *m_state.clip : Region(m_target);
}

void Player::setClip(std::optional<Region> clip)
{
    m_state.clip = std::move(clip);
    const gdi::DcState state = m_canvas.state();
    applyCanvasState(state);
}

bool Player::fill(int x, int y, ColorRef colour, bool surface)
{
    // A fill that finds nothing to fill has still been played.
    const QPoint start = map(x, y);
    withBrushColours(
        [&] { m_canvas.floodFill(start, colour, surface ? gdi::FloodMode::Surface : gdi::FloodMode::Border); });
    return true;
}

} // namespace lumeria::wmf
