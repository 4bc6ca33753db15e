#pragma once

#include "container/ByteSource.h"
#include "platform/gdi/Font.h"
#include "render/RenderTestSupport.h"
#include "text/TextLayout.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria::test {

// A formatted text from its lines, padded to one length as the layout does.
inline QByteArray formatted(const QStringList& lines)
{
    qsizetype longest = 0;
    for (const QString& l : lines)
        longest = std::max(longest, l.size());
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += (l + QString(longest + 1 - l.size(), QLatin1Char(' '))).toLatin1() + "\r\n";
    return bytes;
}

// Arial is served by Liberation Sans, whose metrics are those of the fonts
// the publications were measured with.
inline gdi::Font articleFont(int points = 10)
{
    return gdi::Font::fromPoints(QStringLiteral("Arial"), points);
}

// Lays out a source held in memory into a file of a scratch folder.
class LayoutFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        ASSERT_TRUE(folder.isValid());
    }

    Result<text::LayoutResult> layOut(const QByteArray& source, int width, bool wordWrap,
                                      const gdi::Font& font = articleFont())
    {
        MemorySource bytes(source);
        return text::layOutText(font, bytes,
                                {width, wordWrap, folder.filePath(QStringLiteral("OUT.V")), folder.path()});
    }

    // The output's lines without CR LF, padding kept.
    QByteArray outputBytes() const
    {
        QFile f(folder.filePath(QStringLiteral("OUT.V")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList outputLines() const
    {
        QFile f(folder.filePath(QStringLiteral("OUT.V")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines;
    }

    // A line less its header and padding.
    static QString body(const QString& line) { return line.mid(8).trimmed(); }

    QTemporaryDir folder;
};

inline int widthOf(const gdi::Font& font, const QString& text)
{
    return font.advance(text);
}

} // namespace lumeria::test
