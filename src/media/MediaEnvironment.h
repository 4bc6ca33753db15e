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

// What media needs from the player's window and its publication, supplied by
// the window so that media adds nothing to it but this. Every function is
// called on the UI thread; any may be left empty in tests.
struct MediaEnvironment {
    // A real file for a name a script gives: the container's entry
    // extracted, or the file on disk (Windows paths mapped). Nothing when it
    // cannot be found.
    std::function<std::optional<QString>(const QString& name)> locate;
    // The bytes of a file the FLIC player reads itself: the container's
    // entry where it has one, else the file on disk. Nothing when neither.
    std::function<std::optional<QByteArray>(const QString& name)> readFile;
    // The folder the publication's file lies in: where CD audio tracks are
    // looked for.
    QString publicationFolder;
    // The tracks of the disc image the publication lies on, in order; empty
    // when it does not lie on one (then TRACKnn files serve).
    std::vector<DiscTrack> discTracks;

    // A modal error box with one button.
    std::function<void(const QString& title, const QString& message, const QString& button)> errorBox;
    QString errorTitle;   // L_ERRORTITLE
    QString extractError; // L_EXTRACTERROR
    QString mediaError;   // L_MEDIAERROR
    QString okButton;     // L_OK

    // The page surface in window coordinates, and the window's scroll
    // position: where videos and animations are placed.
    std::function<QRect()> pageArea;
    std::function<QPoint()> scrollOffset;
    // Paints the page again under a rectangle of the window.
    std::function<void(const QRect&)> invalidate;
    // A surface over the page for a video or animation, at a rectangle of
    // the window; it disappears when destroyed.
    std::function<std::unique_ptr<FrameSink>(const QRect& display)> createFrameSink;

    // Runs pending events until done() holds, the reader stops the script
    // or the program is quitting.
    std::function<void(const std::function<bool()>& done)> wait;
    // Monotonic milliseconds: the tick count device aliases are made of.
    std::function<int64_t()> clock;

    // A line for the automation log.
    std::function<void(const QString&)> log;
};

} // namespace lumeria::media
