#pragma once

#include "media/FrameSink.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lumeria::media {

// A track of the disc image the publication lies on: length bytes of file
// from offset. An audio track's bytes are CD audio (44.1 kHz, 16-bit
// little-endian stereo); a data track is never heard.
struct DiscTrack {
    QString file;
    int64_t offset = 0;
    int64_t length = 0;
    bool audio = false;
};

// The publication's own words for what went wrong.
struct MediaMessages {
    QString errorTitle;   // L_ERRORTITLE
    QString extractError; // L_EXTRACTERROR
    QString mediaError;   // L_MEDIAERROR
    QString okButton;     // L_OK
};

// What media needs from the player's window and its publication, and all it
// takes from them: the window implements it, the tests a small fake of their
// own. Every function is called on the UI thread.
class MediaEnvironment {
public:
    virtual ~MediaEnvironment() = default;

    // A real file for a name a script gives: the container's entry
    // extracted, or the file on disk (Windows paths mapped). Nothing when it
    // cannot be found.
    virtual std::optional<QString> locate(const QString& name) = 0;
    // The bytes of a file the FLIC player reads itself: the container's
    // entry where it has one, else the file on disk. Nothing when neither.
    virtual std::optional<QByteArray> readFile(const QString& name) = 0;
    // The folder the publication's file lies in: where CD audio tracks are
    // looked for.
    virtual QString publicationFolder() const = 0;
    // The tracks of the disc image the publication lies on, in order; empty
    // when it does not lie on one (then TRACKnn files serve).
    virtual std::vector<DiscTrack> discTracks() const = 0;

    virtual MediaMessages messages() const = 0;
    // A modal error box with one button.
    virtual void errorBox(const QString& title, const QString& message, const QString& button) = 0;

    // The page surface in window coordinates, and the window's scroll
    // position: where videos and animations are placed.
    virtual QRect pageArea() const = 0;
    virtual QPoint scrollOffset() const = 0;
    // Paints the page again under a rectangle of the window.
    virtual void invalidate(const QRect& area) = 0;
    // A surface over the page for a video or animation, at a rectangle of
    // the window; it disappears when destroyed.
    virtual std::unique_ptr<FrameSink> createFrameSink(const QRect& display) = 0;

    // Runs pending events until done() holds, the reader stops the script
    // or the program is quitting.
    virtual void wait(const std::function<bool()>& done) = 0;
    // Monotonic milliseconds (a steady clock, never the wall clock): the
    // tick count device aliases are made of.
    virtual int64_t clock() const = 0;

    // A line for the automation log.
    virtual void log(const QString& line) = 0;
};

} // namespace lumeria::media
