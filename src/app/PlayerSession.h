#pragma once

#include "app/CommandLine.h"
#include "app/EmbeddedFonts.h"
#include "container/Container.h"
#include "container/PictureCache.h"
#include "document/Publication.h"
#include "media/MediaManager.h"
#include "platform/Result.h"
#include "platform/image/PictureDecoder.h"
#include "render/PaintContext.h"
#include "text/ArticleTextEngine.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace lumeria {

// One publication opened for playing or exporting: its container, its
// parsed pages and what drawing needs from them. The window, when there is
// one, is built on top.
class PlayerSession {
public:
    explicit PlayerSession(media::MediaOptions mediaOptions = {});
    ~PlayerSession();

    // Opens the publication file, or the container appended to the running
    // program, or else the tour that comes with the player. On failure the
    // messages of the error boxes, in the order they are shown, are in
    // startupMessages(), and the result is false. In safe mode files are
    // extracted only into the program's folder or the player's own folders.
    bool open(const QString& publicationPath, bool confined = false);
    // Drive letters the reader set (--drive), taken by the next open.
    void setDriveLetters(const std::array<QString, 26>& letters) { m_driveLetters = letters; }
    // The disc the publication lies on when it is not its mount point: the
    // folder the reader named.
    void setVolume(const QString& folder) { m_volume = folder; }
    const QStringList& startupMessages() const { return m_messages; }
    // After a failed open: the file that was tried (the one named, the
    // program itself or the tour) and why it cannot be played, in one line.
    const QString& triedPath() const { return m_triedPath; }
    const QString& failureReason() const { return m_failureReason; }

    // Whether the running program has a container appended: then it plays
    // that, not the tour, and reports a damaged one as such.
    static bool carriesOwnPublication();

    Publication& publication() { return m_pub; }
    Container& container() { return *m_container; }
    const PaintContext& paintContext() const { return m_context; }
    // Lays out and paints the articles' texts, and knows their links as
    // last painted. Exists once the publication is open.
    text::ArticleTextEngine& articles() { return *m_articles; }
    // The fonts the publication brought, registered when it opened.
    const EmbeddedFonts& fonts() const { return *m_fonts; }
    // Sound, music and the command strings: what plays, for the whole run.
    media::MediaManager& media() { return *m_media; }
    // When the publication carries sound, music or video, loads the media
    // libraries ahead on a thread of their own; they are otherwise loaded
    // when a device first needs them.
    void prepareMedia();
    // A real file for a media file a script names: the container's entry
    // extracted for the run, else the file on disk.
    std::optional<QString> locateMediaFile(const QString& name);
    // Where lines for the automation log go: a media file that cannot be
    // found is told there with the path tried, as on standard error.
    void setTrace(std::function<void(const QString&)> trace) { m_trace = std::move(trace); }
    // The bytes of a media file read in place: the container's entry, read
    // at its offset, else the file on disk. Files larger than any media of
    // the time are not read.
    std::optional<QByteArray> readMediaFile(const QString& name);

    // The page shown first: "Config" when a screen saver is configured and
    // the publication has one, else the page the command line names when
    // it exists, else the first page.
    Page_Rec* firstPage(const CommandLine& commandLine);

    // Every page rendered without running scripts, written as
    // DIR/NNNN-<name>.png. Returns false with a one-line reason.
    Status exportPages(const QString& folder);

    // The file name a page is exported under.
    static QString exportFileName(int number, const QString& pageName);

private:
    std::optional<DecodedPicture> picture(const QString& name);

    Publication m_pub;
    std::unique_ptr<Container> m_container;
    std::unique_ptr<text::ArticleTextEngine> m_articles;
    PaintContext m_context;
    PictureOptions m_pictureOptions;
    PictureCache m_pictures;
    QStringList m_messages;
    QString m_triedPath;
    QString m_failureReason;
    std::array<QString, 26> m_driveLetters;
    std::function<void(const QString&)> m_trace;
    QString m_volume;
    const Page_Rec* m_exporting = nullptr;
    std::unique_ptr<EmbeddedFonts> m_fonts = std::make_unique<EmbeddedFonts>();
    // Last, so it goes first: nothing may still play from files the
    // container removes when it closes.
    std::unique_ptr<media::MediaManager> m_media;
};

// Where the tour that comes with the player is looked for, in this order:
// the data folder of the installation the player runs from
// (<prefix>/share/lumeria beside its bin folder), the desktop's data folders
// (XDG_DATA_HOME, then XDG_DATA_DIRS), and the executable's own folder,
// where the build puts it.
QStringList bundledTourPlaces();
// The first of those places that holds the tour; empty when none does.
QString findBundledTour();

// A publication's design size as the player shows it: each side at least 1,
// and a size past what a window and its backbuffer can hold cut down to it.
QSize boundedPageSize(QSize design);

} // namespace lumeria
