#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace lumeria {

class Container;

// Whether a file name is one of the font files a publication may bring:
// TrueType, OpenType, TrueType collections and Windows bitmap fonts.
bool isFontFileName(const QString& name);

// The fonts a publication brings, in its container or beside it on its
// disc, registered as application fonts for the run. Their families win
// over the substitution table, so a page names its own face and gets it.
// Registering needs a QGuiApplication; without one nothing is registered.
class EmbeddedFonts {
public:
    // A publication may bring a few dozen fonts; more, or larger ones, are
    // not fonts of a publication but a way to make the player hold them.
    static constexpr int kMaxFonts = 64;
    static constexpr qsizetype kMaxFontBytes = qsizetype(32) << 20;
    static constexpr qsizetype kMaxTotalBytes = qsizetype(128) << 20;

    EmbeddedFonts() = default;
    EmbeddedFonts(const EmbeddedFonts&) = delete;
    EmbeddedFonts& operator=(const EmbeddedFonts&) = delete;
    // The fonts and their families leave with the publication.
    ~EmbeddedFonts();

    // The container's fonts first, then those in the publication's folder
    // that the container does not hold under the same name.
    void registerFrom(const Container& container);

    // Registers one font file's bytes; false, with a line in problems(),
    // when they are refused.
    bool add(const QString& name, const QByteArray& bytes);

    const QStringList& families() const { return m_families; }
    // One line per font file that was not taken, naming it and why.
    const QStringList& problems() const { return m_problems; }

private:
    void registerBeside(const QString& folder);
    bool roomFor(const QString& name, qint64 size);

    QList<int> m_ids;
    QStringList m_families;
    QStringList m_problems;
    QSet<QString> m_names; // upper-cased file names already taken
    int m_fonts = 0;
    qint64 m_bytes = 0;
};

} // namespace lumeria
