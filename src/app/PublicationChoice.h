#pragma once

#include "platform/Result.h"

#include <QString>

namespace lumeria {

// What a folder named on the command line plays: a CD-ROM's mount point or
// a copy of it. The one publication on it, or the one the reader picks from
// a box listing them by title when there are several; the failure's text
// when there is none or the reader picks none.
struct PublicationChoice {
    QString path;  // empty when nothing is to be played
    QString error; // the box's text then, French like the player's words
};

PublicationChoice choosePublicationIn(const QString& folder);

} // namespace lumeria
