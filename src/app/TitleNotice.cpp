#include "app/TitleNotice.h"

#include <QWidget>

namespace lumeria {

TitleNotice::TitleNotice(QWidget& window) : m_window(window)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_window, [this] { end(); });
}

bool TitleNotice::showing() const
{
    return m_timer.isActive() && m_window.windowTitle() == m_shown;
}

void TitleNotice::show(const QString& notice, int milliseconds)
{
    // A second notice replaces the first after the same title.
    if (!showing())
        m_title = m_window.windowTitle();
    m_shown = m_title + notice;
    m_window.setWindowTitle(m_shown);
    m_timer.start(milliseconds);
}

QString TitleNotice::title() const
{
    return showing() ? m_title : m_window.windowTitle();
}

void TitleNotice::end()
{
    if (m_window.windowTitle() == m_shown)
        m_window.setWindowTitle(m_title);
}

} // namespace lumeria
