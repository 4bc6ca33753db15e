// The floating text and image windows, on texts and pictures made in the test.
#include "text/windows/FloatingWindows.h"
#include "text/windows/FloatingWindowForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Thirty short paragraphs, a link to an anchor on the last one, a link that
// runs a script, and a link to an anchor that is nowhere.
QByteArray story()
{
    QByteArray text = "^Ljump=:END^l ^Lrun=SV \"A\" \"1\"^l ^Lnowhere=:MISSING^l\r\n\r\n";
    for (int i = 1; i <= 30; ++i)
        text += "Paragraph " + QByteArray::number(i) + ".\r\n\r\n";
    text += "^MEND^mThe end.\r\n";
    return text;
}

class FloatingWindows : public ::testing::Test {
protected:
    FloatingWindows()
    {
        FloatingWindowContext context;
        context.pageOnScreen = [] { return QRect(100, 50, 640, 480); };
        context.openText = [this](const QString& name) -> std::unique_ptr<ByteSource> {
            opened << name;
            if (windowSourceName(name) != QStringLiteral("STORY.TXT.V"))
                return nullptr;
            return std::make_unique<MemorySource>(story());
        };
        context.loadPicture = [](const QString& name) -> std::optional<DecodedPicture> {
            if (name != QStringLiteral("logo.bmp"))
                return std::nullopt;
            DecodedPicture picture;
            picture.image = QImage(120, 80, QImage::Format_RGB32);
            picture.image.fill(Qt::blue);
            return picture;
        };
        context.runScript = [this](const QString& script) { scripts << script; };
        context.beep = [this] { ++beeps; };
        context.temporaryFolder = scratch.path();
        manager = std::make_unique<WindowManager>(std::move(context));
    }

    QTemporaryDir scratch;
    QStringList opened;
    QStringList scripts;
    int beeps = 0;
    std::unique_ptr<WindowManager> manager;
};

TEST_F(FloatingWindows, AskingAgainRaisesTheWindowUnlessTheWrappedWidthDiffers)
{
    TFloatingWindowForm* first = manager->openTextWindow(QStringLiteral("Story"), 10, 20, 300, 200,
                                                         QStringLiteral("C:\\PUB\\story.txt"), TextWrap::Word);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(opened, QStringList{QStringLiteral("C:\\PUB\\story.txt.V")});
    EXPECT_EQ(first->pos(), QPoint(110, 70)); // page coordinates
    EXPECT_EQ(
        manager->openTextWindow(QStringLiteral("Again"), -1, -1, 300, 200, QStringLiteral("STORY.TXT"), TextWrap::Word),
        first);
    TFloatingWindowForm* second =
        manager->openTextWindow(QStringLiteral("Wider"), -1, -1, 400, 200, QStringLiteral("story.txt"), TextWrap::Word);
    EXPECT_NE(second, first);
    EXPECT_EQ(manager->count(), 2);
    // Without wrapping the width is no key: the unwrapped window is a third.
    TFloatingWindowForm* unwrapped =
        manager->openTextWindow(QStringLiteral("Plain"), -1, -1, 400, 200, QStringLiteral("story.txt"), TextWrap::None);
    EXPECT_NE(unwrapped, second);
    EXPECT_EQ(
        manager->openTextWindow(QStringLiteral("Zero"), -1, -1, 0, 200, QStringLiteral("story.txt"), TextWrap::Word),
        unwrapped);

    manager->closeWindows(QStringLiteral("D:\\OTHER\\STORY.TXT"));
    EXPECT_EQ(manager->count(), 0);
    EXPECT_TRUE(QDir(scratch.path()).isEmpty()) << "laid-out texts are deleted with their windows";
}

TEST_F(FloatingWindows, FittedWindowsTakeTheWidestLineAndEveryLineCutToTheScreen)
{
    TFloatingWindowForm* form =
        manager->openTextWindow(QStringLiteral("Fit"), -1, -1, -1, -1, QStringLiteral("story.txt"), TextWrap::Word);
    ASSERT_NE(form, nullptr);
    const LaidOutText& text = form->text();
    EXPECT_GT(text.lineCount, 30);
    const QSize screen = form->screen()->availableGeometry().size();
    EXPECT_EQ(form->width(), std::min(screen.width(), text.widestLine + 16 + 12));
    EXPECT_EQ(form->height(), std::min(screen.height(), text.lineCount * text.lineHeight + 16));
}

TEST_F(FloatingWindows, LinksScrollToTheirAnchorRunScriptsOrBeep)
{
    TFloatingWindowForm* form =
        manager->openTextWindow(QStringLiteral("Links"), 0, 0, 300, 150, QStringLiteral("story.txt"), TextWrap::Word);
    ASSERT_NE(form, nullptr);
    form->follow(QStringLiteral(":end"));
    EXPECT_EQ(form->firstLine(), form->verticalBar()->maximum());
    EXPECT_GT(form->firstLine(), 0);
    form->follow(QStringLiteral("SV \"A\" \"1\""));
    EXPECT_EQ(scripts, QStringList{QStringLiteral("SV \"A\" \"1\"")});
    const int before = form->firstLine();
    form->follow(QStringLiteral(":MISSING"));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(form->firstLine(), before);
}

// A wheel turned over a widget, through the application as the window
// system delivers it.
void turnWheel(QWidget* widget, int delta)
{
    const QPoint point(widget->width() / 2, widget->height() / 2);
    QWheelEvent event(point, widget->mapToGlobal(point), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

TEST_F(FloatingWindows, TheWheelScrollsATextWindowThreeLinesANotch)
{
    TFloatingWindowForm* form =
        manager->openTextWindow(QStringLiteral("Wheel"), 0, 0, 300, 150, QStringLiteral("story.txt"), TextWrap::Word);
    ASSERT_NE(form, nullptr);
    turnWheel(form->paintBox(), -120);
    EXPECT_EQ(form->firstLine(), 3);
    // Thirds of a notch from a fine wheel add up to one.
    turnWheel(form->paintBox(), -40);
    turnWheel(form->paintBox(), -40);
    EXPECT_EQ(form->firstLine(), 3);
    turnWheel(form->paintBox(), -40);
    EXPECT_EQ(form->firstLine(), 6);
    turnWheel(form->paintBox(), 120);
    EXPECT_EQ(form->firstLine(), 3);
    // Over the bar the notch goes as far.
    turnWheel(form->verticalBar(), -120);
    EXPECT_EQ(form->firstLine(), 6);
    turnWheel(form->paintBox(), 10 * 120);
    EXPECT_EQ(form->firstLine(), 0);
}

TEST_F(FloatingWindows, TheSidewaysBarShowsOnlyWhenALineIsWiderThanTheWindow)
{
    // Wrapped to the window, every line fits: the text takes the bar's strip.
    TFloatingWindowForm* wrapped =
        manager->openTextWindow(QStringLiteral("Wrapped"), 0, 0, 300, 150, QStringLiteral("story.txt"), TextWrap::Word);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_FALSE(wrapped->horizontalBar()->isVisible());
    EXPECT_EQ(wrapped->paintBox()->height(), wrapped->height());
    EXPECT_EQ(wrapped->verticalBar()->height(), wrapped->height() - TFloatingWindowForm::kScrollBarWidth);
    // A window narrower than its widest line keeps the bar.
    TFloatingWindowForm* narrow =
        manager->openTextWindow(QStringLiteral("Narrow"), 0, 0, 60, 150, QStringLiteral("story.txt"), TextWrap::None);
    ASSERT_NE(narrow, nullptr);
    EXPECT_TRUE(narrow->horizontalBar()->isVisible());
    EXPECT_EQ(narrow->paintBox()->height(), narrow->height() - TFloatingWindowForm::kScrollBarWidth);
    // Widened past the line, it goes.
    narrow->resize(narrow->text().widestLine + 2 * TFloatingWindowForm::kScrollBarWidth + 20, narrow->height());
    EXPECT_FALSE(narrow->horizontalBar()->isVisible());
}

TEST_F(FloatingWindows, ImageWindowsAreTheirPicturesSizeAndFailSilently)
{
    TFloatingWindowForm* form = manager->openImageWindow(QStringLiteral("Logo"), 5, 5, QStringLiteral("logo.bmp"));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->size(), QSize(120, 80));
    EXPECT_EQ(form->maximumSize(), QSize(120, 80));
    EXPECT_EQ(manager->openImageWindow(QStringLiteral("Again"), 5, 5, QStringLiteral("C:\\LOGO.BMP")), form);
    EXPECT_EQ(manager->openImageWindow(QStringLiteral("Missing"), 5, 5, QStringLiteral("none.bmp")), nullptr);
    EXPECT_EQ(
        manager->openTextWindow(QStringLiteral("Missing"), 5, 5, 100, 100, QStringLiteral("none.txt"), TextWrap::None),
        nullptr);
    manager->closeAll();
    EXPECT_EQ(manager->count(), 0);
}

} // namespace
} // namespace lumeria
