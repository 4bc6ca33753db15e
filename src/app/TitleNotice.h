#pragma once

#include <QString>
#include <QTimer>

class QWidget;

namespace lumeria {

// A short notice after a window's title, taken away again after a while.
// A title set meanwhile (by a script) wins: the notice then just ends, and
// the new title stays.
class TitleNotice {
public:
    explicit TitleNotice(QWidget& window);

    void show(const QString& notice, int milliseconds);
    // The window's title as it would be without the notice.
    QString title() const;

private:
    bool showing() const;
    void end();

    QWidget& m_window;
    QTimer m_timer;
    QString m_title;
    QString m_shown;
};

} // namespace lumeria
