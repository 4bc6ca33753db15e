#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

class QWidget;

namespace lumeria {

// "lumeria-<publication>-<yyyyMMdd-HHmmss>": the publication is its file's
// base name with each run of characters other than letters, digits, '-' and
// '_' made one '_', and at most 64 characters of it, so that no
// publication's name can reach outside the folder or make an unwieldy file.
QString screenshotStem(const QString& publicationPath, const QDateTime& when);

// stem.png in folder, else stem-2.png, stem-3.png and on: the first that
// does not exist yet. Empty once a thousand are taken.
QString freeScreenshotPath(const QString& folder, const QString& stem);

// What the reader sees of the window: its client area with every child
// (fields, scroll bars, video), and the player's other windows over it
// (balloons, notes, pop-up pictures, text windows), in device pixels.
QImage grabReaderView(QWidget& window);

struct ScreenshotOutcome {
    QString path;  // the file written
    QString error; // why none was, for the reader; empty when one was
};

// Writes the picture as PNG into folder, creating the folder when it is
// missing. The file is whole or absent.
ScreenshotOutcome saveScreenshot(const QImage& image, const QString& folder, const QString& stem);

} // namespace lumeria
