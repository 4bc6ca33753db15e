#pragma once

#include "app/CommandLine.h"

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace lumeria {

// Playing another publication than the one named at start: the one a
// reader picks or drops on a window, and the player started again on it.

// Whether a file's name is one disc images are kept under: .iso, .cue,
// .bin, .img in any letter case.
bool isDiscImageName(const QString& path);

// What a drop onto one of the player's windows would play: the first
// dropped URL, when it is a folder, a disc image or a file that carries a
// publication on this machine. Remote files, text and files that hold no
// publication play nothing, so the drop is refused before anything closes.
struct DroppedPublication {
    QString path;
    int passedOver = 0; // further URLs of the same drop, which do not play
};
std::optional<DroppedPublication> droppedPublication(const QMimeData& data);
// Says on standard error which of several dropped files plays.
void reportPassedOver(const DroppedPublication& dropped);

// The argument that names a publication on the command line, taken as a
// path whatever it is: a folder at the root ("/cdrom") would read as the
// switch "/C" without a further slash.
QString publicationArgument(const QString& path);

// The arguments that play another publication with what the current
// command line asked of the window, the scale, the text, printing, trust,
// drive letters, the code page and sound. Its first page and automation
// file were written for the publication it named and are left behind, as
// are the modes that end without a window: the player started so plays in
// its ordinary run, whatever it or the publication is named.
QStringList argumentsToPlay(const QString& programPath, const QString& publication, const CommandLine& current);

// Replaces the running player by the player started with these arguments:
// its own executable under the name it was started as (a name ending in
// ".SCR" decides run modes), with no shell in between. Returns only when
// that failed, having said why on standard error.
void playInstead(const char* programName, const QStringList& arguments);

} // namespace lumeria
