#pragma once

#include "platform/gdi/Font.h"

#include <QFontMetrics>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

namespace lumeria::text {

struct TextState;

// The fonts a formatted text switches between, all derived from the
// object's font. Metrics are cached per font: measuring is what layout and
// painting spend their time on.
class TextFonts {
public:
    struct Entry {
        gdi::Font font;
        QFontMetrics metrics;
        int ascent = 0;
        int height = 0;
        int widthOfM = 0;

        // Which resolved font this is, for the width cache: resolving the same
        // font again gives the same number.
        quint64 id = 0;

        // Shaping a run costs far more than looking it up, and the same words
        // come back in every line, every paint and every scroll: widths are
        // kept across layouts and paints, per thread, up to a bounded size.
        int width(const QString& text) const;
    };

    // Styles and pitch of the object's font are not inherited: formatted
    // text starts plain and its codes alone make it bold or fixed.
    explicit TextFonts(const gdi::Font& objectFont);

    int objectPixels() const { return m_objectPixels; }
    const Entry& plain() { return of(m_objectPixels, 0, false); }
    const Entry& of(const TextState& state);
    const Entry& of(int pixels, uint8_t styles, bool fixed);

private:
    QString m_face;
    int m_objectPixels = 0;
    // Shared with every other TextFonts of this thread on the same face:
    // resolving a font and its metrics costs more than a short paint, and
    // each layout and each paint of an article makes a TextFonts.
    std::map<std::tuple<int, uint8_t, bool>, std::shared_ptr<const Entry>> m_entries;
};

} // namespace lumeria::text
