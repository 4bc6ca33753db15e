#pragma once

#include "container/Container.h"
#include "platform/Result.h"

#include <QList>
#include <QString>

#include <memory>

namespace lumeria {

// A publication found on a disc or in a folder: a file whose tail holds a
// container with RUNTIME.PUB.
struct FoundPublication {
    QString path;
    QString title; // its Title= line, empty when it has none
};

// The publications of a CD-ROM's folder, mount point or any folder, as a
// reader's disc holds them. The program AUTORUN.INF opens wins alone when it
// is one; otherwise every .EXE, .SCR and .LUM at the top and one folder
// below, in order of their paths. At most 64 files are looked into, so a
// folder of thousands never holds the start. The folder of a disc image
// volume is looked into in the image, without copying anything out.
QList<FoundPublication> findPublications(const QString& folder);

// The container of a publication file: on the disc image the player has as
// its volume when path lies in the image's folder, read where it lies in
// the image; else the file itself.
Result<std::unique_ptr<Container>> openPublicationFile(const QString& path, bool* notAContainer = nullptr);

// The program AUTORUN.INF's [autorun] section opens, as a path here; empty
// when there is none.
QString autorunProgram(const QString& folder);

} // namespace lumeria
