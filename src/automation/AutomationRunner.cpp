#include "automation/AutomationRunner.h"

#include "automation/AutomationLog.h"
#include "platform/VirtualKeys.h"
#include "popups/QueryForm.h"
#include "script/Variables.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <iostream>

namespace lumeria {

namespace {

// How often the runner looks whether the publication is ready for the next
// line while a script runs.
constexpr int kBusyPoll = 10;
// How long a wait-var line waits for its value before it fails.
constexpr int kWaitVarLimit = 10000;

} // namespace

AutomationRunner::AutomationRunner(AutomationTarget& form, AutomationScript script, const QString& logPath)
    : m_form(form), m_script(std::move(script)), m_logPath(logPath)
{
    // A box or menu left to the reader shows and is not logged: nothing
    // here knows what the reader will choose.
    TQueryForm::setAnswerer(
        [this](const QString& title, const QString& message, const QStringList& buttons) -> std::optional<int> {
            const int answer = takeAnswer();
            if (answer == kReaderAnswers)
                return std::nullopt;
            log(AutomationLog::dialog(title, message, buttons, answer));
            return answer;
        });
    m_form.setMenuAnswerer([this](int x, int y, const QStringList& items) -> std::optional<int> {
        const int answer = takeAnswer();
        if (answer == kReaderAnswers)
            return std::nullopt;
        log(AutomationLog::menu(x, y, items, answer));
        return answer;
    });
    m_form.setEventLog([this](const QString& line) { log(line); });
}

AutomationRunner::~AutomationRunner()
{
    TQueryForm::setAnswerer({});
    m_form.setMenuAnswerer({});
    m_form.setEventLog({});
}

Status AutomationRunner::openLog(LogStart start)
{
    if (m_logPath.isEmpty())
        return {};
    m_log.setFileName(m_logPath);
    const QIODevice::OpenMode mode = start == LogStart::Fresh ? QIODevice::Truncate : QIODevice::Append;
    if (!m_log.open(QIODevice::WriteOnly | mode | QIODevice::Text))
        return Status::failed(QStringLiteral("cannot write %1: %2").arg(m_logPath, m_log.errorString()));
    return {};
}

void AutomationRunner::log(const QString& line)
{
    if (!m_log.isOpen())
        return;
    m_log.write(line.toUtf8());
    m_log.write("\n");
    m_log.flush();
}

int AutomationRunner::takeAnswer()
{
    if (m_answers.empty())
        return 0;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void AutomationRunner::start()
{
    scheduleNext(0);
}

void AutomationRunner::scheduleNext(int delayMs)
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(delayMs, this, [this] {
        m_scheduled = false;
        step();
    });
}

bool AutomationRunner::readyForNext() const
{
    if (m_form.pressingButton() || m_form.printing())
        return false;
    if (!m_form.scriptRunning())
        return true;
    return m_form.waitingForReader() || QApplication::activeModalWidget() || QApplication::activePopupWidget();
}

void AutomationRunner::step()
{
    if (m_form.isClosing())
        return;
    // The first line acts on what the reader would see: the page as it is
    // drawn, not a window still waiting for its first paint.
    if (!readyForNext() || !m_form.firstPagePainted()) {
        scheduleNext(kBusyPoll);
        return;
    }
    if (m_next >= m_script.size()) {
        finish();
        return;
    }
    if (m_script[m_next].verb == AutomationVerb::WaitVar && !waitOver(m_script[m_next])) {
        scheduleNext(kBusyPoll);
        return;
    }
    // The next line is due before this one runs: a line may open a modal
    // box (the password asked at close) whose own loop must run the lines
    // that answer it.
    const AutomationCommand& command = m_script[m_next++];
    scheduleNext(command.verb == AutomationVerb::Wait ? std::max(0, command.number) : 0);
    run(command);
}

bool AutomationRunner::waitOver(const AutomationCommand& c)
{
    const QString value = m_form.variables().get(c.text);
    if (value == c.value) {
        m_waitingSince.invalidate();
        return true;
    }
    if (!m_waitingSince.isValid())
        m_waitingSince.start();
    if (m_waitingSince.elapsed() < kWaitVarLimit)
        return false;
    m_waitingSince.invalidate();
    fail(c, QStringLiteral("waited %1 s for %2 = \"%3\", it is \"%4\"")
                .arg(kWaitVarLimit / 1000)
                .arg(c.text, c.value, value));
    return true;
}

void AutomationRunner::finish()
{
    QCoreApplication::exit(failed() ? 1 : 0);
}

void AutomationRunner::fail(const AutomationCommand& command, const QString& reason)
{
    ++m_failures;
    std::cerr << "lumeria: automation line " << command.line << ": " << reason.toStdString() << '\n';
}

void AutomationRunner::run(const AutomationCommand& c)
{
    switch (c.verb) {
    case AutomationVerb::Click:
        mouse(QEvent::MouseButtonPress, c);
        mouse(QEvent::MouseButtonRelease, c);
        break;
    case AutomationVerb::Press: mouse(QEvent::MouseButtonPress, c); break;
    case AutomationVerb::Release: mouse(QEvent::MouseButtonRelease, c); break;
    case AutomationVerb::Move: mouse(QEvent::MouseMove, c); break;
    case AutomationVerb::Key: key(c); break;
    case AutomationVerb::Type: type(c.text); break;
    case AutomationVerb::Wait:
    case AutomationVerb::WaitVar: break;
    case AutomationVerb::ExpectPage: {
        const Page_Rec* page = m_form.currentPage();
        const QString shown = page ? page->Name : QString();
        if (shown.compare(c.text, Qt::CaseInsensitive) != 0)
            fail(c, QStringLiteral("expected page \"%1\", the page shown is \"%2\"").arg(c.text, shown));
        break;
    }
    case AutomationVerb::ExpectVar: {
        const QString value = m_form.variables().get(c.text);
        if (value != c.value)
            fail(c, QStringLiteral("expected %1 = \"%2\", it is \"%3\"").arg(c.text, c.value, value));
        break;
    }
    case AutomationVerb::ExpectMedia: {
        // Names without their folders, compared ignoring case, newest first.
        const QStringList playing = m_form.playingMedia();
        QStringList expected = c.text.split(QRegularExpression(QStringLiteral("[ \t]+")), Qt::SkipEmptyParts);
        if (expected.size() == 1 && expected.front().compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            expected.clear();
        bool same = expected.size() == playing.size();
        for (qsizetype i = 0; same && i < expected.size(); ++i)
            same = expected[i].compare(playing[i], Qt::CaseInsensitive) == 0;
        if (!same) {
            const QString shown = playing.isEmpty() ? QStringLiteral("none") : playing.join(QLatin1Char(' '));
            fail(c, QStringLiteral("expected media %1, playing: %2").arg(c.text, shown));
        }
        break;
    }
    case AutomationVerb::Mci: {
        // The reply goes to the log, where a test reads it as a reader's
        // script would have received it.
        const auto [code, text] = m_form.mciString(c.text);
        log(QStringLiteral("mci \"%1\" -> %2 \"%3\"").arg(c.text).arg(code).arg(text));
        break;
    }
    case AutomationVerb::DumpVars: {
        const auto& all = m_form.variables().all();
        QStringList names = all.keys();
        names.sort();
        // Whole or not at all: whoever waits for the file may read it as
        // soon as it is there.
        QSaveFile file(c.text);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            fail(c, QStringLiteral("cannot write %1").arg(c.text));
            break;
        }
        for (const QString& name : names)
            file.write((name + QLatin1Char('=') + all.value(name) + QLatin1Char('\n')).toUtf8());
        if (!file.commit())
            fail(c, QStringLiteral("cannot write %1").arg(c.text));
        break;
    }
    case AutomationVerb::Screenshot:
        if (!m_form.workArea().grab().save(c.text, "PNG"))
            fail(c, QStringLiteral("cannot write %1").arg(c.text));
        break;
    case AutomationVerb::ScreenshotScreen: {
        // In the screen's device pixels, as the windows' own grabs are.
        const QScreen* screen = m_form.topWindow().screen();
        const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
        QImage image((screen ? screen->geometry().size() : m_form.topWindow().size()) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        QPainter painter(&image);
        // The main window first: text windows, pop-ups and boxes float
        // above it.
        painter.drawPixmap(m_form.topWindow().geometry().topLeft(), m_form.topWindow().grab());
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != &m_form.topWindow() && window->isVisible())
                painter.drawPixmap(window->geometry().topLeft(), window->grab());
        }
        painter.end();
        if (!image.save(c.text, "PNG"))
            fail(c, QStringLiteral("cannot write %1").arg(c.text));
        break;
    }
    case AutomationVerb::Answer: m_answers.push_back(c.number); break;
    case AutomationVerb::Quit:
        // A refused close (a wrong password) leaves the window up, and the
        // script goes on.
        m_form.topWindow().close();
        if (m_form.isClosing())
            finish();
        break;
    }
}

void AutomationRunner::mouse(QEvent::Type type, const AutomationCommand& c)
{
    // The press goes where a reader's would: to the widget under the point,
    // an object's scroll bar or the edit field over the page.
    QWidget* area = &m_form.workArea();
    const QPoint inArea = m_form.pageOrigin() + QPoint(c.x, c.y);
    QWidget* target = area->childAt(inArea);
    if (!target)
        target = area;
    const QPointF local = QPointF(target->mapFrom(area, inArea));
    const QPointF global = QPointF(area->mapToGlobal(inArea));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QObject* AutomationRunner::keyTarget() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->focusWidget() ? modal->focusWidget() : modal;
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return &m_form.topWindow();
}

void AutomationRunner::key(const AutomationCommand& c)
{
    const std::optional<QKeyCombination> named = vk::keyFromName(c.text);
    if (!named) {
        fail(c, QStringLiteral("no key is named \"%1\"").arg(c.text));
        return;
    }
    const int key = named->key();
    const Qt::KeyboardModifiers modifiers = c.modifiers | named->keyboardModifiers();
    QString text;
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        if (key == Qt::Key_Space)
            text = QStringLiteral(" ");
        else if (key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(modifiers & Qt::ShiftModifier ? key : key + 32);
        else if (key >= Qt::Key_0 && key <= Qt::Key_9)
            text = QChar(key);
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            text = QStringLiteral("\r");
    }
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(keyTarget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(keyTarget(), &release);
}

void AutomationRunner::type(const QString& text)
{
    for (const QChar ch : text) {
        // Printable ASCII keys are their upper-case codes; other characters
        // arrive as text only, as a compose sequence would give them.
        const char16_t upper = ch.toUpper().unicode();
        const int qtKey = upper >= 0x20 && upper < 0x7f ? int(upper) : 0;
        const Qt::KeyboardModifiers mods = ch.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, QString(ch));
        QCoreApplication::sendEvent(keyTarget(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, QString(ch));
        QCoreApplication::sendEvent(keyTarget(), &release);
    }
}

} // namespace lumeria
