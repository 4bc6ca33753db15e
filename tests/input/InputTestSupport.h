#pragma once

// A recording InteractionHost over a publication built in the test, with
// the real variable store and substitution, so a test states what the
// interaction layer asked of the window in the order it asked.

#include "input/InputController.h"
#include "input/InteractionHost.h"
#include "script/Substitution.h"
#include "script/Variables.h"

#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

#include <gtest/gtest.h>

namespace lumeria::test {

class ManualClock final : public MillisecondClock {
public:
    int64_t now() const override { return ms; }
    int64_t ms = 1000;
};

class FixedBuiltins final : public BuiltinValues {
public:
    QString pageTitle() const override { return {}; }
    QString pageNumber() const override { return {}; }
    QDateTime now() const override { return time; }
    QLocale locale() const override { return QLocale::c(); }
    QDateTime time{QDate(2024, 1, 2), QTime(10, 0, 0)};
};

class RecordingHost : public InteractionHost {
public:
    RecordingHost()
    {
        window.resize(800, 600);
        workArea = new QWidget(&window);
        workArea->setGeometry(0, 0, 800, 600);
    }

    Publication pub;
    Variables vars;
    FixedBuiltins builtins;
    QStringList calls;
    QPoint offset{0, 0};
    bool screenSaver = false;
    bool running = false;
    // Per object: link target by article-local point test, anchors, bars.
    std::function<std::optional<QString>(const Object_Rec&, QPoint)> linkAt;
    std::map<QString, int> anchors;
    bool verticalBar = false;
    std::function<void(const QString&)> onRun;
    std::function<void()> onWait;
    QWidget window;
    QWidget* workArea = nullptr;

    Page_Rec& page(const QString& name)
    {
        if (Page_Rec* p = pub.document.findPage(name); p && p != &pub.document.master())
            return *p;
        return *pub.document.appendPage(name, Palette{});
    }
    Object_Rec& add(Page_Rec& page, ObjectKind kind, int x1, int y1, int x2, int y2)
    {
        Object_Rec* o = pub.document.appendObject(page, uint8_t(kind));
        o->X1 = x1;
        o->Y1 = y1;
        o->X2 = x2;
        o->Y2 = y2;
        return *o;
    }
    Object_Rec& button(Page_Rec& page, ButtonStyle style, int x1, int y1, int x2, int y2, const QString& name)
    {
        Object_Rec& o = add(page, ObjectKind::Button, x1, y1, x2, y2);
        o.button()->Style = uint8_t(style);
        o.button()->Text = name;
        o.button()->Action = QStringLiteral("run ") + name;
        return o;
    }
    QString nameOf(const Object_Rec& o) const
    {
        if (const Button_Rec* b = o.button())
            return b->Text;
        if (const Text_Rec* t = o.text())
            return t->Text;
        return QStringLiteral("%1,%2").arg(o.X1).arg(o.Y1);
    }

    // Keeps only the calls of one kind, to state them without the noise.
    QStringList only(const QString& prefix) const { return calls.filter(QRegularExpression(u'^' + prefix)); }

    Publication& publication() override { return pub; }
    QPoint pageOrigin() const override { return offset; }
    void redrawObject(const Object_Rec& o, Redraw how) override
    {
        calls << QStringLiteral("redraw %1 %2 %3")
                     .arg(nameOf(o))
                     .arg(o.button() ? o.button()->State : 0)
                     .arg(how == Redraw::Area ? QStringLiteral("area") : QStringLiteral("alone"));
    }
    void runScript(const QString& script) override
    {
        calls << script;
        if (onRun)
            onRun(script);
    }
    QString variable(const QString& name) const override { return vars.get(name); }
    void setVariable(const QString& name, const QString& value) override { vars.set(name, value); }
    QString substitute(const QString& text) const override { return lumeria::substitute(text, vars, builtins); }
    void beep() override { calls << QStringLiteral("beep"); }
    void setWorkAreaCursor(WorkAreaCursor c) override { calls << QStringLiteral("cursor %1").arg(int(c)); }
    void setTimerRunning(bool r) override { calls << (r ? QStringLiteral("timer on") : QStringLiteral("timer off")); }
    void goToPage(Page_Rec* p) override
    {
        if (p && p != pub.document.currentPage())
            calls << QStringLiteral("go ") + p->Name;
    }
    void closeMainWindow() override { calls << QStringLiteral("close"); }
    bool runsAsScreenSaver() const override { return screenSaver; }
    bool scriptRunning() const override { return running; }
    void userStop() override { calls << QStringLiteral("stop"); }
    void waitProcessingEvents(int ms) override
    {
        calls << QStringLiteral("wait %1").arg(ms);
        if (onWait)
            onWait();
    }
    bool onScrollBar(const Object_Rec&, QPoint) const override { return false; }
    bool hasScrollBar(const Object_Rec&, ScrollAxis axis) const override
    {
        return axis == ScrollAxis::Vertical && verticalBar;
    }
    bool scrollBarKey(const Object_Rec&, ScrollAxis axis, int key) override
    {
        calls << QStringLiteral("bar %1 %2").arg(axis == ScrollAxis::Vertical ? 'v' : 'h').arg(key);
        return axis == ScrollAxis::Vertical && verticalBar;
    }
    std::optional<QString> articleLinkAt(const Object_Rec& o, QPoint p) override
    {
        return linkAt ? linkAt(o, p) : std::nullopt;
    }
    std::optional<int> findAnchor(const Object_Rec&, const QString& name) override
    {
        for (const auto& [anchor, line] : anchors)
            if (anchor.compare(name, Qt::CaseInsensitive) == 0)
                return line;
        return std::nullopt;
    }
    void scrollArticleToLine(const Object_Rec&, int line) override { calls << QStringLiteral("top line %1").arg(line); }
    void toggleFocusFrame(const Object_Rec& o) override { calls << QStringLiteral("frame ") + nameOf(o); }
    QWidget* editFieldParent() override { return workArea; }
    QWidget* mainWindow() override { return &window; }
};

// A controller over a host, with the variable store's listener wired as the
// window wires it.
struct Rig {
    RecordingHost host;
    ManualClock clock;
    InputController input{host, &clock};

    Rig()
    {
        host.vars.addListener([this](const QString& name) { input.refreshBoundObjects(name); });
    }
    void click(QPoint p)
    {
        input.WorkAreaMouseDown(Qt::LeftButton, p);
        input.WorkAreaMouseUp(Qt::LeftButton, p);
    }
};

// Two pages to work on, the first one shown.
class InputFixture : public ::testing::Test {
protected:
    Rig rig;
    RecordingHost& h = rig.host;
    InputController& input = rig.input;
    Page_Rec& page1 = h.page(QStringLiteral("1"));
    Page_Rec& page2 = h.page(QStringLiteral("2"));

    void SetUp() override { h.pub.document.setCurrentPage(&page1); }
};

} // namespace lumeria::test
