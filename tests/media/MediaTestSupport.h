#pragma once

// A media manager over a folder of the test's own, as the window would set
// it up: files located in the folder, boxes recorded, waits that spin the
// event loop.

#include "AudioFixtures.h"

#include "media/FrameSink.h"
#include "media/MediaManager.h"
#include "platform/WindowsPath.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace lumeria::media::test {

// What the window's surfaces would have shown: every sink made, where, the
// pictures it got, and whether it is gone.
struct SinkRecord {
    QRect rectangle;
    int presented = 0;
    QImage last;
    bool visible = true;
    bool destroyed = false;
};

class RecordingSink final : public FrameSink {
public:
    explicit RecordingSink(std::shared_ptr<SinkRecord> record) : m_record(std::move(record)) {}
    ~RecordingSink() override { m_record->destroyed = true; }
    void present(const QImage& frame) override
    {
        ++m_record->presented;
        m_record->last = frame;
    }
    void setRectangle(const QRect& display) override { m_record->rectangle = display; }
    QRect rectangle() const override { return m_record->rectangle; }
    void setVisible(bool visible) override { m_record->visible = visible; }

private:
    std::shared_ptr<SinkRecord> m_record;
};

// The window's part, played by the test: files in a folder of its own, boxes
// and log lines recorded, the page at a fixed place, waits that spin the
// event loop.
class ManagerFixture final : public MediaEnvironment {
public:
    // A publication on a disc image has the image's tracks.
    explicit ManagerFixture(std::vector<DiscTrack> discTracks = {}) : m_discTracks(std::move(discTracks))
    {
        m_manager = std::make_unique<MediaManager>();
        m_manager->setEnvironment(*this);
    }

    std::optional<QString> locate(const QString& name) override
    {
        const QString found = findCaseInsensitive(m_folder.path(), windowsFileName(name));
        if (found.isEmpty())
            return std::nullopt;
        return QDir(m_folder.path()).filePath(found);
    }
    std::optional<QByteArray> readFile(const QString& name) override
    {
        const std::optional<QString> found = locate(name);
        QFile file(found.value_or(QString()));
        if (!found || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
    QString publicationFolder() const override { return m_folder.path(); }
    std::vector<DiscTrack> discTracks() const override { return m_discTracks; }
    MediaMessages messages() const override
    {
        return {QStringLiteral("Erreur"), QStringLiteral("Fichier introuvable"), QStringLiteral("Erreur media"),
                QStringLiteral("OK")};
    }
    void errorBox(const QString& title, const QString& message, const QString& button) override
    {
        boxes << title + QLatin1Char('|') + message + QLatin1Char('|') + button;
    }
    QRect pageArea() const override { return kPageArea; }
    QPoint scrollOffset() const override { return scroll; }
    void invalidate(const QRect& area) override { invalidated.push_back(area); }
    std::unique_ptr<FrameSink> createFrameSink(const QRect& display) override
    {
        auto record = std::make_shared<SinkRecord>();
        record->rectangle = display;
        sinks.push_back(record);
        return std::make_unique<RecordingSink>(record);
    }
    void wait(const std::function<bool()>& done) override { waitUntil(done, 20000); }
    int64_t clock() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void log(const QString& line) override { logged << line; }

    MediaManager& manager() { return *m_manager; }
    QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const { EXPECT_TRUE(writeFile(path(name), bytes)); }
    // A short 16-bit mono WAV of a tone.
    void writeTone(const QString& name, int durationMs, double frequency = 1000.0, int rate = 22050) const
    {
        WavFormat format;
        format.rate = rate;
        format.durationMs = durationMs;
        format.frequency = frequency;
        write(name, wavBytes(format));
    }
    QStringList playing() const { return m_manager->playingFiles(); }
    int mci(const QString& command) { return m_manager->sendString(command).code; }
    QString reply(const QString& command)
    {
        const MciReply r = m_manager->sendString(command);
        return r.code == 0 ? r.text : QStringLiteral("error %1").arg(r.code);
    }

    // The page as the window shows it: 320 × 240 at (10, 20).
    static constexpr QRect kPageArea{10, 20, 320, 240};

    QStringList boxes;
    QStringList logged;
    QPoint scroll;
    std::vector<QRect> invalidated;
    std::vector<std::shared_ptr<SinkRecord>> sinks;

private:
    QTemporaryDir m_folder;
    std::vector<DiscTrack> m_discTracks;
    std::unique_ptr<MediaManager> m_manager;
};

// Milliseconds a call took.
template <class F>
int64_t timed(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.elapsed();
}

} // namespace lumeria::media::test
