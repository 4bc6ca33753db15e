// The fifteen page transitions. Each works only with copies from the new
// image, scrolls of what is on screen and clip regions; nothing is drawn
// from the page's objects while it runs.
#include "render/Transitions.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"
#include "platform/gdi/Region.h"

#include <algorithm>
#include <array>

namespace lumeria {

namespace {

// The dissolve's eight passes: a 0 bit takes the new pixel, and each pass
// keeps the 0 bits of the one before, so 8, 16, … 64 pixels of every 8 by 8
// cell are new after it. Passes 5 and 6 lie one row lower than in the table
// they come from: there, pass 5 did not keep pass 4's 0 bits, and the
// dissolve jumped from 40 new pixels a cell straight to all 64.
constexpr std::array<std::array<uint8_t, 8>, 8> kDissolve = {{
    {0xF7, 0xFE, 0xDF, 0xFB, 0x7F, 0xEF, 0xFD, 0xBF},
    {0xF5, 0xBE, 0xD7, 0xFA, 0x5F, 0xEB, 0x7D, 0xAF},
    {0x75, 0xAE, 0xD5, 0xBA, 0x57, 0xEA, 0x5D, 0xAB},
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},
    {0x51, 0x2A, 0x45, 0xA8, 0x15, 0xA2, 0x54, 0x8A},
    {0x50, 0x0A, 0x41, 0x28, 0x05, 0xA0, 0x14, 0x82},
    {0x40, 0x08, 0x01, 0x20, 0x04, 0x80, 0x10, 0x02},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
}};

enum Effect {
    Dissolve = 1,
    SlideLeft,
    SlideRight,
    SlideUp,
    SlideDown,
    Explode,
    Implode,
    WeaveHorizontal,
    WeaveVertical,
    SplitHorizontal,
    SplitVertical,
    WipeLeft,
    WipeRight,
    WipeUp,
    WipeDown,
};

class Transition {
public:
    Transition(const TransitionTarget& target, const gdi::Surface& image, int speed)
        : m_t(target), m_image(image), m_r(target.area), m_s(speed)
    {
    }

    void run(int effect);

private:
    int width() const { return m_r.width(); }
    int height() const { return m_r.height(); }

    // Copies the part of the new image that belongs under a rectangle of
    // the canvas, cut to the page rectangle.
    void copy(const gdi::Rect& r)
    {
        const gdi::Rect cut = r.intersected(m_r);
        if (cut.isEmpty())
            return;
        m_t.canvas.bitBlt(cut, m_image.view(), QPoint(cut.left - m_r.left, cut.top - m_r.top));
    }
    void copyAll() { copy(m_r); }
    void show(const gdi::Rect& r) const
    {
        if (m_t.present)
            m_t.present(r.intersected(m_r));
    }
    void pause(int ms) const
    {
        if (m_t.wait && ms > 0)
            m_t.wait(ms);
    }

    void dissolve();
    enum class Toward { Left, Right, Up, Down };
    enum class Axis { Horizontal, Vertical };

    void slideHorizontal(Toward toward);
    void slideVertical(Toward toward);
    void explode();
    void implode();
    void weave(Axis axis);
    void splitHorizontal();
    void splitVertical();
    void wipe(Effect effect);

    const TransitionTarget& m_t;
    const gdi::Surface& m_image;
    const gdi::Rect m_r;
    const int m_s;
};

// Each family of effects keeps the steps and pauses it always had, uneven
// as they are: slides, explode, implode and the vertical split move 14 - s
// pixels a step, wipes 11 - s, the horizontal split (10 - s) / 2 + 4, weaves
// a fixed 10; the pause is 10 s ms for the dissolve, 6 s for weaves and
// splits, s for explode and implode, s + 1 for wipes, s + 2 for slides (s + 3
// sliding up). Publications were timed against them, so none is evened out.
void Transition::run(int effect)
{
    switch (effect) {
    case Dissolve: dissolve(); break;
    case SlideLeft: slideHorizontal(Toward::Left); break;
    case SlideRight: slideHorizontal(Toward::Right); break;
    case SlideUp: slideVertical(Toward::Up); break;
    case SlideDown: slideVertical(Toward::Down); break;
    case Explode: explode(); break;
    case Implode: implode(); break;
    case WeaveHorizontal: weave(Axis::Horizontal); break;
    case WeaveVertical: weave(Axis::Vertical); break;
    case SplitHorizontal: splitHorizontal(); break;
    case SplitVertical: splitVertical(); break;
    default: wipe(Effect(effect)); break;
    }
}

void Transition::dissolve()
{
    gdi::Canvas& canvas = m_t.canvas;
    const gdi::DcStateSaver saved(canvas);
    // A 0 bit of the pattern is the text colour, a 1 bit the background:
    // black takes the new pixel, white keeps the screen's.
    canvas.setTextColour(gdi::rgb(0, 0, 0));
    canvas.setBackgroundColour(gdi::rgb(255, 255, 255));
    for (const auto& pattern : kDissolve) {
        canvas.setBrush(gdi::Brush::pattern(pattern));
        canvas.bitBlt(m_r, m_image.view(), QPoint(0, 0), gdi::kPatternSelect);
        show(m_r);
        pause(10 * m_s);
    }
}

void Transition::slideHorizontal(Toward toward)
{
    const int step = 14 - m_s;
    gdi::Canvas& canvas = m_t.canvas;
    if (toward == Toward::Left) {
        // The old page moves out to the left; the new one follows from the
        // right, its first columns first.
        for (int b = m_r.left; b < m_r.right;) {
            const int a = std::min(m_r.right, b + step);
            const int moved = a - b;
            canvas.scroll(m_r, -moved, 0);
            // The uncovered strip takes the new image from column b on.
            canvas.bitBlt({m_r.right - moved, m_r.top, m_r.right, m_r.bottom}, m_image.view(), QPoint(b - m_r.left, 0));
            show(m_r);
            pause(m_s + 2);
            b = a;
        }
        // Only the leftward and upward slides end with a copy of the whole
        // image, as they always did. After a complete slide it changes no
        // pixel; it stays as one more frame, and the other two stay without.
        copyAll();
        show(m_r);
        return;
    }
    // No final whole copy here (see above).
    for (int b = m_r.right; b > m_r.left;) {
        const int a = std::max(m_r.left, b - step);
        const int moved = b - a;
        canvas.scroll(m_r, moved, 0);
        canvas.bitBlt({m_r.left, m_r.top, m_r.left + moved, m_r.bottom}, m_image.view(), QPoint(a - m_r.left, 0));
        show(m_r);
        pause(m_s + 2);
        b = a;
    }
}

void Transition::slideVertical(Toward toward)
{
    const int step = 14 - m_s;
    gdi::Canvas& canvas = m_t.canvas;
    if (toward == Toward::Up) {
        for (int b = m_r.top; b < m_r.bottom;) {
            const int a = std::min(m_r.bottom, b + step);
            const int moved = a - b;
            canvas.scroll(m_r, 0, -moved);
            canvas.bitBlt({m_r.left, m_r.bottom - moved, m_r.right, m_r.bottom}, m_image.view(),
                          QPoint(0, b - m_r.top));
            show(m_r);
            // Sliding up always waited a millisecond longer per step than
            // the other slides; publications were timed with it.
            pause(m_s + 3);
            b = a;
        }
        copyAll(); // as the leftward slide does, and unlike the other two
        show(m_r);
        return;
    }
    for (int b = m_r.bottom; b > m_r.top;) {
        const int a = std::max(m_r.top, b - step);
        const int moved = b - a;
        canvas.scroll(m_r, 0, moved);
        canvas.bitBlt({m_r.left, m_r.top, m_r.right, m_r.top + moved}, m_image.view(), QPoint(0, a - m_r.top));
        show(m_r);
        pause(m_s + 2);
        b = a;
    }
}

void Transition::explode()
{
    const int v = 14 - m_s;
    // Both directions finish together; a page lower than one step still
    // grows by at least a pixel sideways.
    const int rows = height() / v;
    const int h = std::max(1, rows > 0 ? width() / rows : width());
    const int cx = m_r.left + width() / 2;
    const int cy = m_r.top + height() / 2;
    gdi::Rect e{cx, cy, cx, cy};
    while (!(e.left <= m_r.left && e.top <= m_r.top && e.right >= m_r.right && e.bottom >= m_r.bottom)) {
        e = {std::max(m_r.left, e.left - h), std::max(m_r.top, e.top - v), std::min(m_r.right, e.right + h),
             std::min(m_r.bottom, e.bottom + v)};
        copy(e);
        show(e);
        pause(m_s);
    }
}

void Transition::implode()
{
    const int v = 14 - m_s;
    const int rows = height() / v;
    const int h = std::max(1, rows > 0 ? width() / rows : width());
    gdi::Rect inner = m_r;
    gdi::Canvas& canvas = m_t.canvas;
    while (inner.right > inner.left || inner.bottom > inner.top) {
        inner.left = std::min(m_r.right, inner.left + h);
        inner.top = std::min(m_r.bottom, inner.top + v);
        inner.right = std::max(m_r.left, inner.right - h);
        inner.bottom = std::max(m_r.top, inner.bottom - v);
        // Once the edges cross, nothing of the old page is left to keep.
        const gdi::Rect kept{inner.left, inner.top, std::max(inner.left, inner.right),
                             std::max(inner.top, inner.bottom)};
        {
            const gdi::DcStateSaver saved(canvas);
            canvas.clipTo(gdi::Region(m_r).subtracted(kept));
            copyAll();
        }
        show(m_r);
        pause(m_s);
    }
}

void Transition::weave(Axis axis)
{
    const bool horizontal = axis == Axis::Horizontal;
    const int bands = (horizontal ? height() : width()) / 10;
    const int start = horizontal ? m_r.left : m_r.top;
    const int end = horizontal ? m_r.right : m_r.bottom;
    int d = start; // grows from the left (top) in even bands
    int c = end;   // grows from the right (bottom) in odd bands
    while (d < end && c > start) {
        d = std::min(end, d + 10);
        c = std::max(start, c - 10);
        // Bands run to length / 10 inclusive, one more than fit whole: the
        // last is partial, or wholly past the edge (and cut away) on a page
        // a whole number of bands long. The count stays as it always was.
        for (int i = 0; i <= bands; ++i) {
            const bool even = i % 2 == 0;
            const int from = even ? start : c;
            const int to = even ? d : end;
            if (horizontal)
                copy({from, m_r.top + 10 * i, to, m_r.top + 10 * i + 10});
            else
                copy({m_r.left + 10 * i, from, m_r.left + 10 * i + 10, to});
        }
        show(m_r);
        pause(6 * m_s);
    }
}

void Transition::splitHorizontal()
{
    // Not the 14 - s of the vertical split: this one always went 9 pixels a
    // step at full speed and 4 at the slowest.
    const int step = (10 - m_s) / 2 + 4;
    int x0 = m_r.left + width() / 2;
    int w = 0;
    while (x0 > m_r.left && w < width()) {
        x0 = std::max(m_r.left, x0 - step);
        w = std::min(width(), w + 2 * step);
        copy({x0, m_r.top, x0 + w, m_r.bottom});
        show({x0, m_r.top, x0 + w, m_r.bottom});
        pause(6 * m_s);
    }
    // An odd width can leave the last column to the band's rounding.
    copyAll();
    show(m_r);
}

void Transition::splitVertical()
{
    const int step = 14 - m_s;
    int y0 = m_r.top + height() / 2;
    int h = 0;
    while (y0 > m_r.top && h < height()) {
        y0 = std::max(m_r.top, y0 - step);
        h = std::min(height(), h + 2 * step);
        copy({m_r.left, y0, m_r.right, y0 + h});
        show({m_r.left, y0, m_r.right, y0 + h});
        pause(6 * m_s);
    }
    copyAll();
    show(m_r);
}

void Transition::wipe(Effect effect)
{
    // Three pixels narrower than a slide's step at every speed, down to one
    // pixel a step at the slowest.
    const int step = 11 - m_s;
    switch (effect) {
    case WipeLeft:
        for (int c = m_r.right; c > m_r.left; c -= step) {
            const gdi::Rect strip{c - step, m_r.top, c, m_r.bottom};
            copy(strip);
            show(strip);
            pause(m_s + 1);
        }
        break;
    case WipeRight:
        for (int x = m_r.left; x < m_r.right; x += step) {
            const gdi::Rect strip{x, m_r.top, x + step, m_r.bottom};
            copy(strip);
            show(strip);
            pause(m_s + 1);
        }
        break;
    case WipeUp:
        for (int c = m_r.bottom; c > m_r.top; c -= step) {
            const gdi::Rect strip{m_r.left, c - step, m_r.right, c};
            copy(strip);
            show(strip);
            pause(m_s + 1);
        }
        break;
    default:
        for (int y = m_r.top; y < m_r.bottom; y += step) {
            const gdi::Rect strip{m_r.left, y, m_r.right, y + step};
            copy(strip);
            show(strip);
            pause(m_s + 1);
        }
        break;
    }
}

} // namespace

bool runTransition(const TransitionTarget& target, const gdi::Surface& newImage, int speed, int effect)
{
    if (effect < 1 || effect >= kEffectCount)
        return false;
    if (target.area.isEmpty() || newImage.width() != target.area.width() || newImage.height() != target.area.height())
        return false;
    Transition(target, newImage, std::clamp(speed, 0, kMaxEffectSpeed)).run(effect);
    return true;
}

} // namespace lumeria
