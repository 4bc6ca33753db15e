#include "app/Screenshot.h"
#include "app/TitleNotice.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(11, 30, 12));

TEST(ScreenshotTest, NamesAreThePublicationsMadeSafeAndNeverReplaceAFile)
{
    EXPECT_EQ(screenshotStem(QStringLiteral("/media/cd/Atlas.exe"), kWhen),
              QStringLiteral("lumeria-Atlas-20261209-113012"));
    // Nothing of the name can leave the folder or hide the file.
    EXPECT_EQ(screenshotStem(QStringLiteral("/x/Mon livre (2) \"é\\*?\n.lum"), kWhen),
              QStringLiteral("lumeria-Mon_livre_2_é_-20261209-113012"));
    EXPECT_EQ(screenshotStem(QStringLiteral("/x/.lum"), kWhen), QStringLiteral("lumeria-publication-20261209-113012"));
    EXPECT_EQ(screenshotStem({}, kWhen), QStringLiteral("lumeria-publication-20261209-113012"));
    EXPECT_EQ(
        screenshotStem(QStringLiteral("/x/") + QString(300, QLatin1Char('a')) + QStringLiteral(".pub"), kWhen).size(),
        QStringLiteral("lumeria--20261209-113012").size() + 64);

    QTemporaryDir dir;
    const QString stem = QStringLiteral("lumeria-A-20261209-113012");
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString shots = dir.filePath(QStringLiteral("new/folder"));
    QStringList written;
    for (int i = 0; i < 3; ++i) {
        const ScreenshotOutcome outcome = saveScreenshot(image, shots, stem);
        ASSERT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
        written << QFileInfo(outcome.path).fileName();
    }
    EXPECT_EQ(written, (QStringList{stem + QStringLiteral(".png"), stem + QStringLiteral("-2.png"),
                                    stem + QStringLiteral("-3.png")}));
    EXPECT_EQ(QImage(QDir(shots).filePath(written.last())).pixel(3, 2), QColor(Qt::red).rgb());
}

TEST(ScreenshotTest, AFolderThatCannotTakeTheFileSaysSo)
{
    QTemporaryDir dir;
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ScreenshotOutcome outcome = saveScreenshot(image, plain.fileName() + QStringLiteral("/shots"), QStringLiteral("s"));
    EXPECT_TRUE(outcome.path.isEmpty());
    EXPECT_TRUE(outcome.error.contains(QLatin1String("impossible"))) << outcome.error.toStdString();
    // A folder that is there but takes no files, whoever runs the test.
    outcome = saveScreenshot(image, QStringLiteral("/proc"), QStringLiteral("s"));
    EXPECT_TRUE(outcome.path.isEmpty());
    EXPECT_TRUE(outcome.error.contains(QLatin1String("/proc"))) << outcome.error.toStdString();
}

TEST(ScreenshotTest, ThePictureHoldsThePopUpsOverTheWindowAndTheTitleComesBack)
{
    QWidget window;
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(Qt::white));
    window.setGeometry(100, 100, 200, 150);
    QWidget child(&window);
    child.setAutoFillBackground(true);
    child.setPalette(QPalette(Qt::green));
    child.setGeometry(10, 10, 20, 20);
    QWidget popup(nullptr, Qt::ToolTip);
    popup.setAutoFillBackground(true);
    popup.setPalette(QPalette(Qt::blue));
    popup.setGeometry(250, 200, 100, 100); // half over the window's corner
    QWidget elsewhere(nullptr, Qt::ToolTip);
    elsewhere.setGeometry(500, 400, 50, 50);
    window.show();
    popup.show();
    elsewhere.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QImage shot = grabReaderView(window);
    ASSERT_EQ(shot.size(), QSize(200, 150) * shot.devicePixelRatio());
    const auto at = [&](int x, int y) {
        return QColor(shot.pixel(QPointF(QPointF(x, y) * shot.devicePixelRatio()).toPoint()));
    };
    EXPECT_EQ(at(5, 5), QColor(Qt::white));
    EXPECT_EQ(at(15, 15), QColor(Qt::green));
    EXPECT_EQ(at(160, 110), QColor(Qt::blue));
    EXPECT_EQ(at(140, 110), QColor(Qt::white));

    window.setWindowTitle(QStringLiteral("Atlas"));
    TitleNotice notice(window);
    notice.show(QStringLiteral(" — saved"), 50);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Atlas — saved"));
    EXPECT_EQ(notice.title(), QStringLiteral("Atlas"));
    QTest::qWait(100);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Atlas"));
    // A title set while the notice shows stays when the notice ends.
    notice.show(QStringLiteral(" — saved"), 50);
    window.setWindowTitle(QStringLiteral("Chapter 2"));
    EXPECT_EQ(notice.title(), QStringLiteral("Chapter 2"));
    QTest::qWait(100);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Chapter 2"));
}

} // namespace
} // namespace lumeria
