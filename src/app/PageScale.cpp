#include "app/PageScale.h"

#include <QGuiApplication>
#include <QScreen>
// The only way Qt offers to change a factor once windows exist; it has
// kept this entry since screen factors came in (Qt 5.6).
#include <QtGui/private/qhighdpiscaling_p.h>

#include <algorithm>
#include <cmath>

namespace lumeria {

namespace {

int g_platformFactor = 1;

} // namespace

void notePlatformFactor()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    g_platformFactor = screen ? std::max(1, int(std::lround(screen->devicePixelRatio()))) : 1;
}

int wholeFactor(const QScreen* screen)
{
    return screen ? std::max(1, int(std::lround(screen->devicePixelRatio()))) : 1;
}

void setWholeFactor(QScreen* screen, int factor)
{
    if (!screen || factor < 1 || wholeFactor(screen) == factor)
        return;
    // The desktop's factor is rounded to a whole one, so the quotient times
    // it is whole again even when the quotient is not.
    QHighDpiScaling::setScreenFactor(screen, qreal(factor) / qreal(g_platformFactor));
}

QSize desktopScreenSize(const QScreen& screen)
{
    const QSize size = screen.geometry().size() * wholeFactor(&screen);
    return QSize(size.width() / g_platformFactor, size.height() / g_platformFactor);
}

} // namespace lumeria
