// What the input layer asks of the main window: drawing objects again, the
// run's scripts and variables, the timer, object scroll bars, the focus
// frame and the edit field's parent.
#include "app/MainForm.h"
#include "app/PlayerSession.h"

#include "platform/ScopedCount.h"
#include "platform/VirtualKeys.h"

#include <QEventLoop>

#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace lumeria {

void TMainForm::redrawObject(const Object_Rec& object, Redraw how)
{
    m_view->redrawObject(object, how);
}

void TMainForm::runScript(const QString& script)
{
    if (!m_closing)
        m_engine->run(script);
}

Variables& TMainForm::variables()
{
    return m_engine->variables();
}

QString TMainForm::variable(const QString& name) const
{
    return m_engine->variables().get(name);
}

void TMainForm::setVariable(const QString& name, const QString& value)
{
    m_engine->variables().set(name, value);
}

QString TMainForm::substitute(const QString& text) const
{
    return m_engine->substitute(text);
}

void TMainForm::setTimerRunning(bool running)
{
    if (running && !m_closing)
        m_timer.start();
    else
        m_timer.stop();
}

bool TMainForm::runsAsScreenSaver() const
{
    return m_commandLine.mode == RunMode::SaverRun;
}

bool TMainForm::scriptRunning() const
{
    return m_engine->isRunning();
}

void TMainForm::userStop()
{
    m_engine->userStop();
}

void TMainForm::waitProcessingEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), &loop, &QEventLoop::quit);
    const ScopedCount pressing(m_pressWaits);
    loop.exec();
}

bool TMainForm::onScrollBar(const Object_Rec& object, QPoint pagePoint) const
{
    const_cast<TMainForm*>(this)->bringUpToDate();
    const ObjectScrollBars* bars = m_scrollStore.find(object);
    if (!bars)
        return false;
    for (const ObjectScrollBar* bar : {&bars->vertical, &bars->horizontal}) {
        if (bar->visible && bar->rect.contains(pagePoint.x(), pagePoint.y()))
            return true;
    }
    return false;
}

bool TMainForm::hasScrollBar(const Object_Rec& object, ScrollAxis axis) const
{
    return objectScrollBar(object, axis) != nullptr;
}

bool TMainForm::scrollBarKey(const Object_Rec& object, ScrollAxis axis, int virtualKey)
{
    QScrollBar* bar = objectScrollBar(object, axis);
    if (!bar)
        return false;
    // The keys a scroll bar control answers to, as the window system's own
    // keyboard interface for scroll bars maps them.
    switch (virtualKey) {
    case vk::kPrior: bar->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case vk::kNext: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case vk::kHome: bar->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case vk::kEnd: bar->triggerAction(QAbstractSlider::SliderToMaximum); break;
    case vk::kLeft:
    case vk::kUp: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case vk::kRight:
    case vk::kDown: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    default: break;
    }
    return true;
}

std::optional<QString> TMainForm::articleLinkAt(const Object_Rec& article, QPoint articlePoint)
{
    bringUpToDate();
    const int inset = article.LineWidth;
    return m_session.articles().linkAt(article, articlePoint + QPoint(article.X1 + inset, article.Y1 + inset));
}

std::optional<int> TMainForm::findAnchor(const Object_Rec& article, const QString& name)
{
    setBusyCursor(true);
    const std::optional<int> line = m_session.articles().anchorLine(article, QLatin1Char(':') + name);
    setBusyCursor(false);
    return line;
}

void TMainForm::scrollArticleToLine(const Object_Rec& article, int line)
{
    ObjectScrollBar& bar = m_scrollStore.of(article).vertical;
    bar.position = std::clamp(text::ArticleTextEngine::barPositionForLine(article, line), 0, bar.maxPosition());
}

void TMainForm::toggleFocusFrame(const Object_Rec& object)
{
    m_view->toggleFocusFrame(object);
}

QWidget* TMainForm::editFieldParent()
{
    return viewport();
}

bool TMainForm::playerKey(int virtualKey, uint16_t modifierBits)
{
    return fullScreenKey(virtualKey, modifierBits) || screenshotKey(virtualKey, modifierBits) ||
           readingKey(virtualKey, modifierBits);
}

void TMainForm::objectBarMouse(const Object_Rec& object, BarMouse action, Qt::MouseButton button, QPoint point)
{
    if (action == BarMouse::Release) {
        m_input->WorkAreaMouseUp(button, point);
        return;
    }
    // A press on the bar is a press on its object, which may take the
    // focus first. Where a later object covers the bar's place, the reader
    // still sees the bar on top and presses it alone.
    const PageObjects objects(publication().document, currentPage());
    if (objects.hitTest(point - pageOrigin()).object == &object)
        m_input->WorkAreaMouseDown(button, point);
}

} // namespace lumeria
