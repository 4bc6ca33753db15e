#pragma once

#include <QString>

#include <functional>
#include <memory>

class QObject;
class QThread;

namespace lumeria {

// The player's voice. Utterances are said one after the other by the
// system's speech engine on a thread of their own, so that neither an
// engine that starts slowly nor a long text holds up the window. Every
// utterance also goes to the log while the voice is on, whether or not an
// engine says it, so what would be read can be checked without a sound
// device. Without an engine the voice says so once on standard error and
// goes on logging.
class ReadingAloud {
public:
    using Log = std::function<void(const QString& text)>;

    // engine: the speech engine's name, empty for the system's default.
    explicit ReadingAloud(Log log, QString engine = {});
    ~ReadingAloud();
    ReadingAloud(const ReadingAloud&) = delete;
    ReadingAloud& operator=(const ReadingAloud&) = delete;

    bool enabled() const { return m_enabled; }
    // Off also silences what is being said.
    void setEnabled(bool on);

    // Said after what is being said; nothing while the voice is off. The
    // caller bounds the text.
    void speak(const QString& text);
    // Silences what is being said and drops what waits to be said.
    void stop();

private:
    struct Worker;

    void start();

    Log m_log;
    QString m_engine;
    bool m_enabled = false;
    std::unique_ptr<QThread> m_thread;
    QObject* m_context = nullptr; // lives on m_thread; the worker's calls run through it
    std::shared_ptr<Worker> m_worker;
};

} // namespace lumeria
