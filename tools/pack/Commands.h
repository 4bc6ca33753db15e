#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>

namespace lumeria::pack {

// Each command returns the process exit status: 0 on success, 1 after a
// one-line message on stderr.
int build(const QString& sourceFolder, const QString& output, const QString& player);
int list(const QString& file);
int extract(const QString& file, const QString& folder, const QStringList& names);
int dump(const QString& file);

struct FormatOptions {
    QString source;
    QString output;
    QString font;
    int points = 0;
    uint8_t style = 0;
    int width = 0;
    bool wordWrap = false;
};
// Lays out a marked-up text into a formatted one and prints the YRange,
// XRange and MaxLineHeight lines an article of that file needs. Needs a
// QGuiApplication for the fonts.
int format(const FormatOptions& options);

// The entry type the authoring side gives a file, from its name.
int entryTypeForName(const QString& upperName);

} // namespace lumeria::pack
