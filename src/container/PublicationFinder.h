#pragma once

#include <QList>
#include <QString>

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
// folder of thousands never holds the start.
QList<FoundPublication> findPublications(const QString& folder);

// The program AUTORUN.INF's [autorun] section opens, as a path here; empty
// when there is none.
QString autorunProgram(const QString& folder);

} // namespace lumeria
