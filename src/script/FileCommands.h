#pragma once

#include "script/CommandTable.h"
#include "script/ScriptText.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace lumeria {

class ScriptEngine;

enum class LineEdit { Write, Insert, Delete };

// How DOSCommand starts what it is given: an internal command of the
// command interpreter carried out by the player, a document through the
// desktop, or a program directly.
struct DosCommandPlan {
    enum class Kind { Internal, Document, Program } kind = Kind::Program;
    QString program;       // program path, document path, or the interpreter's command line
    QStringList arguments; // for a program
    QString workingFolder;
};

// Works out what DOSCommand runs: quotes written as ' become ", the command
// interpreter's own commands are kept for the player to run, names with an
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

    // Line n (from 1) of a text file whose lines end in CR LF, LF or CR:
    // empty past its end, nothing when it is not a plain file that can be
    // read. The file streams past; only that line is kept.
    static std::optional<QString> readLine(const QString& path, qsizetype n);
    static std::optional<qsizetype> countLines(const QString& path);

    // Rewrites a file with line n written, inserted or deleted; 0 or the I/O
    // code of the failure. The new content goes to a temporary file beside
    // the old one that then replaces it, so a failure part-way leaves the old
    // file whole.
    int editLine(const QString& path, int n, const QString& text, LineEdit mode);

private:
    // What the reader answered when first asked, for the rest of the run.
    enum class Consent : uint8_t { Unasked, Allowed, Refused };
    enum class Report : uint8_t { Show, Silent };

    void showMessage(const QString& message);
    void showIoError(int code);
    // Inside the publication's folder, the temporary folder and the
    // player's per-user folders, links followed.
    bool withinOwnFolders(const QString& path) const;
    bool ask(Consent& consent, const QString& message);
    bool allowedToWrite(const QString& path, Report report = Report::Show);
    bool allowedToLaunch(const QString& what);
    void copyFile(const QString& source, const QString& destination);
    void internalCommand(const QString& commandLine);
    void dosCommand(const QString& program, const QString& parameters);
    void internetLink(const QString& address);

    ScriptEngine& m_engine;
    Consent m_writeConsent = Consent::Unasked;
    Consent m_launchConsent = Consent::Unasked;
    bool m_justRefused = false;
};

} // namespace lumeria
