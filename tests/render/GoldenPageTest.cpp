// One page holding every kind of object, in every state and with a range of
// fills, painted and compared with a reviewed picture. When drawing changes
// on purpose, regenerate the picture with tests/data/golden/regenerate, look
// at it, and commit it with the change.

#include "RenderTestSupport.h"
#include "container/TextSource.h"
#include "document/Parser.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

QString goldenFolder()
{
    return QStringLiteral(LUMERIA_TEST_DATA) + QStringLiteral("/golden");
}

// A 60x40 picture with a colour ramp, a dark frame and a white bottom-left
// pixel, so scaling, cropping and the transparent key all show.
DecodedPicture photo()
{
    DecodedPicture p;
    p.image = QImage(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            p.image.setPixel(x, y, qRgb(x * 4, y * 6, 160));
    for (int x = 0; x < 60; ++x) {
        p.image.setPixel(x, 0, qRgb(0, 0, 0));
        p.image.setPixel(x, 39, qRgb(255, 255, 255));
    }
    p.sourceDepth = 24;
    setBottomLeftTransparentColour(p);
    return p;
}

DecodedPicture icon()
{
    DecodedPicture p;
    p.image = QImage(16, 16, QImage::Format_RGB32);
    p.image.fill(qRgb(255, 0, 255));
    for (int i = 2; i < 14; ++i) {
        p.image.setPixel(i, i, qRgb(0, 128, 0));
        p.image.setPixel(15 - i, i, qRgb(0, 128, 0));
    }
    p.sourceDepth = 24;
    setBottomLeftTransparentColour(p);
    return p;
}

TEST(GoldenPage, EveryKindStateAndFillPaintsAsReviewed)
{
    test::ensureGuiApplication();
    QFile text(goldenFolder() + QStringLiteral("/every-kind.pub"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    QByteArray bytes = text.readAll();
    bytes.replace("\r\n", "\n").replace("\n", "\r\n");
    MemorySource source(bytes);
    TextSource lines(source);
    Publication pub;
    ASSERT_EQ(loadPublication(lines, pub, defaultPalette256()), 0);
    ASSERT_EQ(pub.document.pageCount(), 1);

    PaintContext context;
    context.substitute = [](const QString& t) {
        QString s = t;
        return s.replace(QStringLiteral("[Name]"), QStringLiteral("Ada"));
    };
    context.loadPicture = [](const QString& name) -> std::optional<DecodedPicture> {
        if (name.compare(QStringLiteral("PHOTO.BMP"), Qt::CaseInsensitive) == 0)
            return photo();
        if (name.compare(QStringLiteral("ICON.BMP"), Qt::CaseInsensitive) == 0)
            return icon();
        return std::nullopt;
    };
    context.recordedPictureSize = [](const QString&) -> std::optional<QSize> { return QSize(24, 24); };

    gdi::Surface surface(640, 480, test::kWhite);
    gdi::Canvas canvas(surface);
    ObjectPainter painter(canvas, context);
    for (const auto& object : pub.document.pages().front()->Objects)
        painter.paintObject(QPoint(0, 0), *object);

    const QString goldenPath = goldenFolder() + QStringLiteral("/every-kind.png");
    if (qEnvironmentVariableIsSet("LUMERIA_REGENERATE_GOLDEN")) {
        ASSERT_TRUE(surface.image().save(goldenPath, "PNG"));
        GTEST_SKIP() << "wrote " << goldenPath.toStdString() << "; review it before committing";
    }
    const QImage golden = QImage(goldenPath).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(golden.isNull()) << "no reviewed picture at " << goldenPath.toStdString();
    ASSERT_EQ(golden.size(), QSize(640, 480));
    const QImage painted = surface.image();
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if ((painted.pixel(x, y) & 0xFFFFFF) != (golden.pixel(x, y) & 0xFFFFFF)) {
                if (differing++ == 0)
                    first = QPoint(x, y);
            }
        }
    }
    if (differing > 0) {
        const QString actual = QDir::temp().filePath(QStringLiteral("every-kind.actual.png"));
        painted.save(actual, "PNG");
        FAIL() << differing << " pixels differ, the first at (" << first.x() << ", " << first.y()
               << "); the painted page is in " << actual.toStdString();
    }
}

} // namespace
} // namespace lumeria
