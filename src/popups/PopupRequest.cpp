#include "popups/PopupRequest.h"

#include "popups/LumeriaBalloon.h"
#include "popups/PopUpBalloonForm.h"
#include "popups/PopUpImageForm.h"
#include "popups/PopUpStickyNoteForm.h"
#include "popups/PopupPlacement.h"
#include "popups/PopupWait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumeria {

namespace {

gdi::Rect screenOf(const PopupContext& context)
{
    if (context.screen)
        return *context.screen;
    const QScreen* screen = context.window ? context.window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? gdi::rectFromQRect(screen->geometry()) : gdi::Rect{0, 0, 640, 480};
}

PopupWaitHooks hooksOf(const PopupContext& context)
{
    return {context.onWaitBegins, context.onWaitEnds, context.keptKey};
}

} // namespace

void showBalloon(const PopupContext& context, const QString& text, int x, int y)
{
    TPopUpBalloonForm form(context.window);
    form.setText(text);
    const gdi::Rect screen = screenOf(context);
    const BalloonPlacement place = placeBalloon(QPoint(x, y), form.size(), screen, QCursor::pos());
    form.textBalloon()->setStemPos(place.stemPos);
    form.textBalloon()->setStemOffset(place.stemOffset);
    showPopupAndWait(form, place.topLeft, 0, screen, hooksOf(context));
}

void showStickyNote(const PopupContext& context, int x, int y, const QString& text, int displayTime)
{
    TPopUpStickyNoteForm form(context.window);
    form.setText(text);
    const gdi::Rect screen = screenOf(context);
    const QPoint topLeft = placeStickyNote(context.reference, x, y, form.size(), screen);
    showPopupAndWait(form, topLeft, displayTime, screen, hooksOf(context));
}

bool showPopupImage(const PopupContext& context, int x, int y, const QString& file, int displayTime, int effect,
                    int speed)
{
    if (!context.loadPicture)
        return false;
    const std::optional<DecodedPicture> picture = context.loadPicture(file);
    if (!picture || picture->image.isNull())
        return false;
    TPopUpImageForm form(file, *picture, context.window);
    // A picture that decoded but is too large for any surface cannot be shown
    // either; the reader gets the same message as for a missing one.
    if (form.picture().isNull())
        return false;

    const gdi::Rect screen = screenOf(context);
    const QPoint topLeft = placePopupImage(context.reference, x, y, form.size());
    PopupWaitHooks hooks = hooksOf(context);
    // The picture is revealed once it is on screen and before the reader is
    // waited for; repaints after that show it plainly.
    hooks.onWaitBegins = [&](QWidget* popup) {
        // The window must be mapped before a step can be presented on it;
        // input stays queued, as it does while a page transition runs.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (effect != 0 && context.runTransition) {
            form.reveal([&](gdi::Canvas& canvas, const gdi::Rect& area, const gdi::Surface& image,
                            const std::function<void(const gdi::Rect&)>& present) {
                context.runTransition(canvas, area, image, speed, effect, present);
            });
        } else {
            form.reveal({});
        }
        if (context.onWaitBegins)
            context.onWaitBegins(popup);
    };
    showPopupAndWait(form, topLeft, displayTime, screen, hooks);
    return true;
}

} // namespace lumeria
