#include "input/ObjectScrollBarWidgets.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>

#include <set>

namespace lumeria {

namespace {

class BarMouseFilter final : public QObject {
public:
    using Report = std::function<void(const QScrollBar&, BarMouse, Qt::MouseButton, QPoint)>;
    explicit BarMouseFilter(Report report) : m_report(std::move(report)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        BarMouse action;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: action = BarMouse::Press; break;
        case QEvent::MouseButtonRelease: action = BarMouse::Release; break;
        default: return false;
        }
        const auto* bar = static_cast<const QScrollBar*>(watched);
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        m_report(*bar, action, mouse->button(), bar->mapToParent(mouse->position().toPoint()));
        return false;
    }

private:
    Report m_report;
};

} // namespace

ObjectScrollBarWidgets::ObjectScrollBarWidgets(QWidget& parent, ScrollBarStore& store, Moved moved, Mouse mouse)
    : m_parent(parent), m_store(store), m_moved(std::move(moved)), m_mouse(std::move(mouse))
{
    m_mouseFilter =
        std::make_unique<BarMouseFilter>([this](const QScrollBar& bar, BarMouse action, Qt::MouseButton button,
                                                QPoint point) { mouseOn(bar, action, button, point); });
}

// The parent owns the widgets; Qt forgets an event filter that is deleted
// before the objects it watches.
ObjectScrollBarWidgets::~ObjectScrollBarWidgets() = default;

void ObjectScrollBarWidgets::mouseOn(const QScrollBar& widget, BarMouse action, Qt::MouseButton button,
                                     QPoint point) const
{
    if (!m_mouse)
        return;
    for (const auto& [key, candidate] : m_widgets) {
        if (candidate == &widget) {
            m_mouse(*key.first, action, button, point);
            return;
        }
    }
}

QScrollBar* ObjectScrollBarWidgets::widgetFor(const Key& key)
{
    if (auto it = m_widgets.find(key); it != m_widgets.end())
        return it->second;
    auto* widget = new QScrollBar(key.second == ScrollAxis::Vertical ? Qt::Vertical : Qt::Horizontal, &m_parent);
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setCursor(Qt::ArrowCursor);
    widget->installEventFilter(m_mouseFilter.get());
    QObject::connect(widget, &QScrollBar::valueChanged, widget, [this, key](int value) {
        ObjectScrollBars& bars = m_store.of(*key.first);
        ObjectScrollBar& bar = key.second == ScrollAxis::Vertical ? bars.vertical : bars.horizontal;
        const int old = bar.position;
        if (value == old)
            return;
        bar.position = value;
        m_moved(*key.first, key.second, old);
    });
    m_widgets.emplace(key, widget);
    return widget;
}

void ObjectScrollBarWidgets::showBar(const Key& key, const ObjectScrollBar& bar, QPoint origin)
{
    QScrollBar* widget = widgetFor(key);
    // Following the model is not a move by the reader.
    const QSignalBlocker quiet(widget);
    widget->setRange(0, bar.maxPosition());
    widget->setPageStep(std::max(1, bar.page));
    widget->setSingleStep(std::max(1, bar.unit));
    widget->setValue(bar.position);
    widget->setGeometry(gdi::toQRect(bar.rect).translated(origin));
    widget->show();
}

void ObjectScrollBarWidgets::sync(const std::vector<ObjectRef>& shown, QPoint origin)
{
    std::set<Key> used;
    for (const ObjectRef& ref : shown) {
        const Object_Rec* object = ref.object;
        const ObjectScrollBars* bars = m_store.find(*object);
        if (!bars)
            continue;
        if (bars->vertical.visible && !bars->vertical.rect.isEmpty()) {
            const Key key{object, ScrollAxis::Vertical};
            showBar(key, bars->vertical, origin);
            used.insert(key);
        }
        if (bars->horizontal.visible && !bars->horizontal.rect.isEmpty()) {
            const Key key{object, ScrollAxis::Horizontal};
            showBar(key, bars->horizontal, origin);
            used.insert(key);
        }
    }
    for (auto& [key, widget] : m_widgets) {
        if (!used.count(key))
            widget->hide();
    }
}

QScrollBar* ObjectScrollBarWidgets::widget(const Object_Rec& object, ScrollAxis axis) const
{
    const auto it = m_widgets.find({&object, axis});
    return it != m_widgets.end() && it->second->isVisible() ? it->second : nullptr;
}

} // namespace lumeria
