#include "app/ObjectScrollBarWidgets.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>

#include <set>

namespace lumeria {

ObjectScrollBarWidgets::ObjectScrollBarWidgets(QWidget& parent, ScrollBarStore& store, Moved moved)
    : m_parent(parent), m_store(store), m_moved(std::move(moved))
{
}

ObjectScrollBarWidgets::~ObjectScrollBarWidgets() = default; // the parent owns the widgets

QScrollBar* ObjectScrollBarWidgets::widgetFor(const Key& key)
{
    if (auto it = m_widgets.find(key); it != m_widgets.end())
        return it->second;
    auto* widget = new QScrollBar(key.second == ScrollAxis::Vertical ? Qt::Vertical : Qt::Horizontal, &m_parent);
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setCursor(Qt::ArrowCursor);
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

void ObjectScrollBarWidgets::sync(const std::vector<const Object_Rec*>& shown, QPoint origin)
{
    std::set<Key> used;
    for (const Object_Rec* object : shown) {
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
