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
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

class ManagerFixture {
public:
    // A publication on a disc image has the image's tracks.
    explicit ManagerFixture(std::vector<DiscTrack> discTracks = {})
    {
        MediaEnvironment env;
        env.discTracks = std::move(discTracks);
        env.locate = [this](const QString& name) -> std::optional<QString> {
            const QString found = findCaseInsensitive(m_folder.path(), windowsFileName(name));
            if (found.isEmpty())
                return std::nullopt;
            return QDir(m_folder.path()).filePath(found);
        };
        env.publicationFolder = m_folder.path();
        env.errorBox = [this](const QString& title, const QString& message, const QString& button) {
            boxes << title + QLatin1Char('|') + message + QLatin1Char('|') + button;
        };
        env.errorTitle = QStringLiteral("Erreur");
        env.extractError = QStringLiteral("Fichier introuvable");
        env.mediaError = QStringLiteral("Erreur media");
        env.okButton = QStringLiteral("OK");
        env.wait = [](const std::function<bool()>& done) { waitUntil(done, 20000); };
        env.log = [this](const QString& line) { log << line; };
        env.pageArea = [] { return kPageArea; };
        env.scrollOffset = [this] { return scroll; };
        env.invalidate = [this](const QRect& area) { invalidated.push_back(area); };
        env.createFrameSink = [this](const QRect& display) -> std::unique_ptr<FrameSink> {
            auto record = std::make_shared<SinkRecord>();
            record->rectangle = display;
            sinks.push_back(record);
            return std::make_unique<RecordingSink>(record);
        };
        m_manager = std::make_unique<MediaManager>();
        m_manager->setEnvironment(std::move(env));
    }

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
    QStringList log;
    QPoint scroll;
    std::vector<QRect> invalidated;
    std::vector<std::shared_ptr<SinkRecord>> sinks;

private:
    QTemporaryDir m_folder;
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
