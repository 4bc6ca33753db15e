#include "app/ReadingAloud.h"

#include <QMetaObject>
#include <QObject>
#include <QTextToSpeech>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <deque>
#include <iostream>
#include <utility>

namespace lumeria {

namespace {

// How long closing waits for an engine busy starting up before leaving the
// thread to the end of the process. speech-dispatcher's takes about 1.5 s
// (it lists every voice it has), so a quick close still ends cleanly.
constexpr unsigned long kStopWaitMs = 2000;
// Utterances waiting to be said. A page gives at most 200 and every page
// change empties the queue; an engine that stopped answering must not make
// pop-ups pile up without end.
constexpr size_t kMaxQueued = 400;

} // namespace

// Everything here but the generation is touched on the voice's thread only.
struct ReadingAloud::Worker {
    // Bumped by stop() on the window's thread: utterances queued before it
    // are dropped. Here rather than in the voice, so that a thread left to
    // the end of the process never reads freed memory.
    std::atomic<uint64_t> generation{0};
    QString wantedEngine;
    std::unique_ptr<QTextToSpeech> speech;
    bool tried = false;
    std::deque<std::pair<uint64_t, QString>> queue;

    void open()
    {
        if (tried)
            return;
        tried = true;
        const QStringList engines = QTextToSpeech::availableEngines();
        const bool absent = engines.isEmpty() || (!wantedEngine.isEmpty() && !engines.contains(wantedEngine));
        if (!absent) {
            speech = wantedEngine.isEmpty() ? std::make_unique<QTextToSpeech>()
                                            : std::make_unique<QTextToSpeech>(wantedEngine);
            if (speech->state() == QTextToSpeech::Error)
                speech.reset();
        }
        if (!speech) {
            std::cerr << "lumeria: no speech engine is available; nothing is read aloud\n";
            return;
        }
        QObject::connect(speech.get(), &QTextToSpeech::stateChanged, speech.get(), [this](QTextToSpeech::State s) {
            if (s == QTextToSpeech::Ready)
                next();
        });
    }

    void next()
    {
        if (!speech || speech->state() != QTextToSpeech::Ready)
            return;
        while (!queue.empty()) {
            auto [from, text] = std::move(queue.front());
            queue.pop_front();
            if (from == generation.load()) {
                speech->say(text);
                return;
            }
        }
    }

    void add(uint64_t from, QString text)
    {
        open();
        if (!speech || from != generation.load())
            return;
        if (queue.size() >= kMaxQueued)
            queue.pop_front();
        queue.emplace_back(from, std::move(text));
        next();
    }

    void silence()
    {
        queue.clear();
        if (speech && speech->state() != QTextToSpeech::Ready)
            speech->stop();
    }
};

ReadingAloud::ReadingAloud(Log log, QString engine) : m_log(std::move(log)), m_engine(std::move(engine)) {}

ReadingAloud::~ReadingAloud()
{
    if (!m_thread)
        return;
    // The engine is a QObject of that thread and goes with it there.
    QMetaObject::invokeMethod(m_context, [worker = m_worker, context = m_context] {
        worker->speech.reset();
        context->deleteLater();
        QThread::currentThread()->quit();
    });
    if (!m_thread->wait(kStopWaitMs)) {
        // An engine that hangs while starting must not keep the player from
        // closing; the process ends the thread.
        std::ignore = m_thread.release();
    }
}

void ReadingAloud::start()
{
    if (m_thread)
        return;
    m_worker = std::make_shared<Worker>();
    m_worker->wantedEngine = m_engine;
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("reading aloud"));
    m_context = new QObject;
    m_context->moveToThread(m_thread.get());
    m_thread->start(QThread::LowPriority);
}

void ReadingAloud::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    if (!on)
        stop();
    m_enabled = on;
    if (on) {
        start();
        QMetaObject::invokeMethod(m_context, [worker = m_worker] { worker->open(); });
    }
}

void ReadingAloud::speak(const QString& text)
{
    if (!m_enabled || text.isEmpty())
        return;
    if (m_log)
        m_log(text);
    QMetaObject::invokeMethod(
        m_context, [worker = m_worker, from = m_worker->generation.load(), text] { worker->add(from, text); });
}

void ReadingAloud::stop()
{
    if (!m_thread)
        return;
    ++m_worker->generation;
    QMetaObject::invokeMethod(m_context, [worker = m_worker] { worker->silence(); });
}

} // namespace lumeria
