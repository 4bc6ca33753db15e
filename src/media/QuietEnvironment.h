#pragma once

#include "media/MediaEnvironment.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>

namespace lumeria::media {

// An environment with no window and no publication: no file is found, no
// box shows, nothing is drawn, and time still passes. Media stands on it
// before the window is there and after it went; benchmarks and fuzzers
// override the few points they need.
class QuietEnvironment : public MediaEnvironment {
public:
    std::optional<QString> locate(const QString&) override { return std::nullopt; }
    std::optional<QByteArray> readFile(const QString&) override { return std::nullopt; }
    QString publicationFolder() const override { return {}; }
    std::vector<DiscTrack> discTracks() const override { return {}; }
    MediaMessages messages() const override { return {}; }
    void errorBox(const QString&, const QString&, const QString&) override {}
    QRect pageArea() const override { return {}; }
    QPoint scrollOffset() const override { return {}; }
    void invalidate(const QRect&) override {}
    std::unique_ptr<FrameSink> createFrameSink(const QRect&) override { return nullptr; }
    void wait(const std::function<bool()>& done) override
    {
        while (!done()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }
    int64_t clock() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void log(const QString&) override {}
};

} // namespace lumeria::media
