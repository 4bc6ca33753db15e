#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace lumeria {

class Codepage;

// The old command interpreter's own commands (DIR, COPY, DEL, TYPE, REN, MD,
// RD, ...), carried out by the player itself. Publications start them with
// the interpreter's /C switch; no text of theirs ever reaches a shell here.
// The interpreter's console closed as soon as its command ended, so what a
// command prints is lost unless it is redirected into a file with > or >>.
namespace dos {

// What the commands need of the player.
struct Context {
    // Names without a folder are taken from here.
    QString currentFolder;
    // A name as the publication writes it (backslashes, drive letters) to a
    // path here, components matched ignoring case.
    std::function<QString(const QString& name, const QString& base)> resolve;
    // Asked before each file or folder is created, written, removed or
    // renamed; false makes the command fail.
    std::function<bool(const QString& path)> mayWrite;
    // A folder here as the interpreter's listings show it (C:\DATA).
    std::function<QString(const QString& path)> displayName;
    // Output files are written in this code page, with CR LF line ends.
    const Codepage* codepage = nullptr;
    // The clock DATE and TIME print; the system clock when invalid.
    QDateTime now;
};

// True when DOSCommand's program names one of the interpreter's commands:
// its upper-cased text followed by a point occurs in the list of them, as
// the original's test was written (so "" and "IR" count too, and the
// interpreter then reads its command from what follows).
bool isInternalCommand(const QString& program);

// Runs the command line "/C program parameters" as the interpreter would.
// True when the command did its work; a failure leaves everything as it
// was where the interpreter's own rules do (REN never replaces a file,
// a copy cut short leaves no partial destination).
bool run(const QString& commandLine, const Context& context);

// DOS wildcard matching of one name against a pattern, ignoring case: '*'
// matches any run of characters, '?' one character (or none at the end of
// a name or before its point), "*.*" every name and a trailing '.' only
// names without an extension.
bool matchesWildcard(const QString& pattern, const QString& name);

// The name a wildcard template (REN's new name, COPY's destination) gives a
// matched file: '?' keeps the file's character at that place, '*' the rest
// of the file's name part or extension, other characters replace.
QString applyTemplate(const QString& templ, const QString& name);

} // namespace dos
} // namespace lumeria
