// A publication dropped on the main window: this one closes as the reader
// closes it, and main() plays the dropped one once all of this run is gone.
#include "app/MainForm.h"
#include "app/OtherPublication.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace lumeria {

namespace {

// While a box waits for the reader, the window cannot be closed either.
bool takesDrops(bool closing)
{
    return !closing && !QApplication::activeModalWidget();
}

} // namespace

// The moves that follow keep the answer of the enter, so the file is
// looked into once per drag.
void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (takesDrops(m_closing) && droppedPublication(*event->mimeData()))
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    if (!takesDrops(m_closing))
        return;
    const std::optional<DroppedPublication> dropped = droppedPublication(*event->mimeData());
    if (!dropped)
        return;
    event->acceptProposedAction();
    reportPassedOver(*dropped);
    // The close may ask for the publication's password: a modal box, which
    // must not wait inside the window system's drop. A password refused
    // keeps this publication, and forgets the dropped one.
    m_playNext = dropped->path;
    QTimer::singleShot(0, this, [this] {
        if (!close())
            m_playNext.clear();
    });
}

} // namespace lumeria
