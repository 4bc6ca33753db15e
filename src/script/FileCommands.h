#pragma once

#include "script/CommandTable.h"
#include "script/ScriptText.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lumeria {

class ScriptEngine;

enum class LineEdit { Write, Insert, Delete };

// How DOSCommand starts what it is given: an internal command of the
// command interpreter through the shell, a document through the desktop, or
// a program directly.
struct DosCommandPlan {
    enum class Kind { Shell, Document, Program } kind = Kind::Program;
    QString program;       // program path, document path, or shell command line
    QStringList arguments; // for a program
    QString workingFolder;
};

// Works out what DOSCommand runs: quotes written as ' become ", the command
// interpreter's own commands become their shell equivalents, names with an
// extension other than .EXE .COM .BAT .LNK are documents.
DosCommandPlan planDosCommand(const QString& program, const QString& parameters, const QString& programFolder);

// The file, program and web commands. Their failures are shown in a dialog
// titled with the application title and never stop the script.
class FileCommands {
public:
    explicit FileCommands(ScriptEngine& engine) : m_engine(engine) {}

    void execute(Command command, const ScriptArguments& args);

    // A script's file name as a path here: Windows syntax mapped, a name
    // without folder taken from the publication's folder, components matched
    // ignoring case.
    QString resolve(const QString& name) const;

    // The lines of a text file (CR LF, LF or CR ended), or nothing when it
    // cannot be read.
    static std::optional<QStringList> readLines(const QString& path);

    // Rewrites a file with line n written, inserted or deleted; 0 or the I/O
    // code of the failure. The new content goes to a temporary file beside
    // the old one that then replaces it, so a failure part-way leaves the old
    // file whole.
    int editLine(const QString& path, int n, const QString& text, LineEdit mode);

private:
    void showMessage(const QString& message);
    void showIoError(int code);
    bool allowedToWrite(const QString& path);
    bool allowedToLaunch();
    void copyFile(const QString& source, const QString& destination);
    void dosCommand(const QString& program, const QString& parameters);
    void internetLink(const QString& address);

    ScriptEngine& m_engine;
};

} // namespace lumeria
