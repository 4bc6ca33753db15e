#pragma once

// Reads back what a print job wrote, through poppler's command-line tools.
// Tests that need them skip when they are not installed.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace lumeria::testing {

inline bool popplerPresent()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pdfInfoField(const QString& pdf, const QString& field)
{
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(info);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

inline int pdfPages(const QString& pdf)
{
    return pdfInfoField(pdf, QStringLiteral("Pages")).toInt();
}

// The text of one page (1-based), or of the whole document for page 0.
inline QString pdfText(const QString& pdf, int page = 0)
{
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << pdf << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), args);
}

// One page rasterised at 96 pixels per inch, the job's own unit.
inline QImage pdfPageImage(const QString& pdf, int page, const QString& scratchFolder)
{
    const QString prefix = QDir(scratchFolder).filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-singlefile"), QStringLiteral("-png"),
             QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// The bounding box of every pixel that is not near white.
inline QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < 200 || c.green() < 200 || c.blue() < 200)
                bounds = bounds.united(QRect(x, y, 1, 1));
        }
    }
    return bounds;
}

} // namespace lumeria::testing
