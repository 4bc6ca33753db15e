#pragma once

#include "automation/AutomationScript.h"
#include "automation/AutomationTarget.h"
#include "platform/Result.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QString>

#include <deque>

namespace lumeria {

// Plays an automation script against the window once its first page is
// shown: reader input as real Qt events, checks of the page and the
// variables, screenshots, and answers for the boxes and menus the
// publication asks. Every box and menu is answered here, so nothing waits
// on a reader; each is written to the log when one is given.
class AutomationRunner : public QObject {
    Q_OBJECT
public:
    AutomationRunner(AutomationTarget& form, AutomationScript script, const QString& logPath);
    ~AutomationRunner() override;

    // Fails when the log cannot be written. Continue keeps what is in it:
    // the boxes met before the window, written there by whoever met them.
    enum class LogStart { Fresh, Continue };
    Status openLog(LogStart start = LogStart::Fresh);

    // Runs the commands one after the other; the application ends after the
    // last (or at "quit").
    void start();

    bool failed() const { return m_failures > 0; }
    bool finished() const { return m_next >= m_script.size(); }

private:
    void scheduleNext(int delayMs);
    // The next command may go when no script is busy, or when the one that
    // runs waits for the reader: in a Delay, a box or a menu.
    bool readyForNext() const;
    void step();
    // Whether a wait-var line may go on: its variable has the value, or it
    // waited too long and failed.
    bool waitOver(const AutomationCommand& command);
    void run(const AutomationCommand& command);
    void fail(const AutomationCommand& command, const QString& reason);
    void mouse(QEvent::Type type, const AutomationCommand& command);
    void key(const AutomationCommand& command);
    void type(const QString& text);
    void finish();
    int takeAnswer();
    void log(const QString& line);
    QObject* keyTarget() const;

    AutomationTarget& m_form;
    AutomationScript m_script;
    size_t m_next = 0;
    int m_failures = 0;
    std::deque<int> m_answers;
    QString m_logPath;
    QFile m_log;
    bool m_scheduled = false;
    QElapsedTimer m_waitingSince; // while a wait-var line waits
};

} // namespace lumeria
