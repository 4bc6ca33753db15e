#pragma once

#include "document/Document.h"
#include "render/ObjectScrollBars.h"
#include "render/TextAreaScroll.h"

#include <QPoint>
#include <Qt>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QObject;
class QScrollBar;
class QWidget;

namespace lumeria {

enum class BarMouse { Press, Release };

// The scroll bars of articles and pictures as real scroll bar widgets over
// the work area. The model (ScrollBarStore) is laid out by the painter; the
// widgets follow it after every paint and write the reader's moves back
// into it, then tell the window which bar moved and from where.
class ObjectScrollBarWidgets {
public:
    using Moved = std::function<void(const Object_Rec& object, ScrollAxis axis, int oldPosition)>;
    // A mouse button pressed (a double-click's second press too) or
    // released on an object's bar, at a point of the parent, told before the
    // bar acts on it: the bar lies over the work area and takes the presses
    // the work area would otherwise see.
    using Mouse = std::function<void(const Object_Rec& object, BarMouse action, Qt::MouseButton button, QPoint point)>;

    ObjectScrollBarWidgets(QWidget& parent, ScrollBarStore& store, Moved moved, Mouse mouse = {});
    ~ObjectScrollBarWidgets();
    ObjectScrollBarWidgets(const ObjectScrollBarWidgets&) = delete;
    ObjectScrollBarWidgets& operator=(const ObjectScrollBarWidgets&) = delete;

    // Shows the visible bars of the objects on screen at the page origin
    // (work-area coordinates) and hides every other.
    void sync(const std::vector<ObjectRef>& shown, QPoint origin);

    // The widget of an object's bar while it is shown, else nullptr.
    QScrollBar* widget(const Object_Rec& object, ScrollAxis axis) const;

private:
    using Key = std::pair<const Object_Rec*, ScrollAxis>;
    QScrollBar* widgetFor(const Key& key);
    void showBar(const Key& key, const ObjectScrollBar& bar, QPoint origin);
    void mouseOn(const QScrollBar& widget, BarMouse action, Qt::MouseButton button, QPoint point) const;

    QWidget& m_parent;
    ScrollBarStore& m_store;
    Moved m_moved;
    Mouse m_mouse;
    std::map<Key, QScrollBar*> m_widgets;
    std::unique_ptr<QObject> m_mouseFilter;
};

} // namespace lumeria
