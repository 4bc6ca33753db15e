#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace lumeria::pack {

// Each command returns the process exit status: 0 on success, 1 after a
// one-line message on stderr.
int build(const QString& sourceFolder, const QString& output, const QString& player);
int list(const QString& file);
int extract(const QString& file, const QString& folder, const QStringList& names);
int dump(const QString& file);

// The entry type the authoring side gives a file, from its name.
int entryTypeForName(const QString& upperName);

} // namespace lumeria::pack
