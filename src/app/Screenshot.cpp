#include "app/Screenshot.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>
#include <QWindow>

namespace lumeria {

namespace {

constexpr qsizetype kMaxNameLength = 64;
constexpr int kMaxSameName = 1000;

QString safeName(const QString& name)
{
    QString safe;
    for (const QChar c : name) {
        if (safe.size() >= kMaxNameLength)
            break;
        const bool keep = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_');
        // One '_' for a run of anything else: "Mon livre (2)" reads as
        // "Mon_livre_2_", not as a row of underscores.
        if (keep)
            safe += c;
        else if (!safe.endsWith(QLatin1Char('_')))
            safe += QLatin1Char('_');
    }
    return safe.isEmpty() || safe == QLatin1String("_") ? QStringLiteral("publication") : safe;
}

} // namespace

QString screenshotStem(const QString& publicationPath, const QDateTime& when)
{
    return QStringLiteral("lumeria-") + safeName(QFileInfo(publicationPath).completeBaseName()) + QLatin1Char('-') +
           when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString freeScreenshotPath(const QString& folder, const QString& stem)
{
    const QDir dir(folder);
    for (int n = 1; n <= kMaxSameName; ++n) {
        const QString name = n == 1 ? stem + QStringLiteral(".png") : QStringLiteral("%1-%2.png").arg(stem).arg(n);
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
    return {};
}

QImage grabReaderView(QWidget& window)
{
    const QPixmap base = window.grab();
    QImage image = base.toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(base.devicePixelRatio());
    const QRect area = window.geometry();

    // The window system keeps its windows in the order they were made; the
    // player's pop-ups are made as they open, so a later one lies above.
    QHash<const QWindow*, QWidget*> widgets;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (const QWindow* handle = widget->windowHandle())
            widgets.insert(handle, widget);
    }
    QPainter painter(&image);
    for (const QWindow* handle : QGuiApplication::topLevelWindows()) {
        QWidget* widget = widgets.value(handle);
        if (!widget || widget == &window || !widget->isVisible() || !widget->geometry().intersects(area))
            continue;
        painter.drawPixmap(widget->geometry().topLeft() - area.topLeft(), widget->grab());
    }
    painter.end();
    return image;
}

ScreenshotOutcome saveScreenshot(const QImage& image, const QString& folder, const QString& stem)
{
    if (image.isNull())
        return {{}, QStringLiteral("rien à capturer")};
    if (!QDir().mkpath(folder))
        return {{}, QStringLiteral("dossier %1 impossible à créer").arg(folder)};
    const QString path = freeScreenshotPath(folder, stem);
    if (path.isEmpty())
        return {{}, QStringLiteral("trop de captures du même nom dans %1").arg(folder)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        return {{}, QStringLiteral("écriture impossible dans %1 (%2)").arg(folder, file.errorString())};
    return {path, {}};
}

} // namespace lumeria
