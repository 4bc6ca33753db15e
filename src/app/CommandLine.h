#pragma once

#include "automation/ParseResult.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace lumeria {

// Decided from the program's name and first argument before any window
// exists. The numbers are the ones publications and saver hosts know.
enum class RunMode {
    Normal = 0,               // the program's name does not end in ".SCR"
    SaverWithoutArgument = 1, // ".SCR" with no first argument, or one shorter than 2 characters
    SaverConfigure = 2,       // ".SCR" and "/C…": first page "Config" when there is one
    SaverRun = 3,             // ".SCR" and any other letter ("/S"): full screen, on top
    SaverPreview = 4,         // ".SCR" and "/P": a preview inside the given window, no player window
    SaverChangePassword = 5,  // ".SCR" and "/A": change the saver password for the given window
};

enum class WindowChoice { Publication, FullScreen, Windowed };

struct ScaleChoice {
    enum class Kind { Publication, Factor, Auto };
    Kind kind = Kind::Publication;
    int factor = 1; // only for Kind::Factor; always >= 1
};

// Everything the command line asked for. Empty strings mean "not given".
struct CommandLine {
    RunMode mode = RunMode::Normal;
    // The host window of modes 4 and 5 ("/p 1234", "/p:1234"); mode 2 keeps
    // one too when it came after a colon. Absent or not a number: none.
    std::optional<qulonglong> windowHandle;

    QString publication;

    // The short switches (modes 0 to 3) and their long equivalents.
    bool printWithoutDialog = false; // /B
    QString firstPage;               // /Kname (upper-cased) or --page NAME; the last one given wins

    WindowChoice window = WindowChoice::Publication;
    ScaleChoice scale;
    bool smoothText = false;
    bool speak = false;             // --speak: reading aloud from the first page on
    QString printTo;                // --print-to FILE.pdf
    QString exportPages;            // --export-pages DIR
    QString automate;               // --automate FILE
    QString automateLog;            // --automate-log FILE
    bool safe = false;              // --safe: refuse without asking
    bool trust = false;             // --trust: allow without asking
    std::array<QString, 26> drives; // --drive L=DIR, absolute; empty where not given
    QString codepage;               // --codepage NAME, checked by whoever knows the code pages
    bool mute = false;
    QString audioDevice;      // --audio-device NAME
    QString soundFont;        // --soundfont FILE
    QString screenshotFolder; // --screenshot-dir DIR; empty: the reader's pictures folder
    // --script-timeout SECONDS: how long a script may run without waiting
    // for the reader before the reader is asked to stop it; 0 never asks.
    int scriptTimeout = 10;

    bool list = false;
    bool version = false;
    bool help = false;
};

// Whether a path names an existing file; the player passes QFileInfo, tests a set.
using FileExists = std::function<bool(const QString& path)>;

// args are the arguments after the program path. An argument that names an
// existing file is the publication even when it starts with '-' or '/' (an
// absolute path does, here), so it is never read as a switch. Other arguments
// starting with '-' or '/' are short switches whose unknown letters are
// ignored, as publications' start-up shortcuts have always relied on; long
// options ("--name", "--name=value") are checked strictly. A value that
// itself starts with "--" counts as missing, so "--page --safe" is refused.
// A player that carries its own publication ignores plain words naming no
// file, as the original player did: shortcuts made for it pass such words,
// and only an existing file or a path with a folder names another publication.
ParseResult<CommandLine> parseCommandLine(const QString& programPath, const QStringList& args,
                                          const FileExists& fileExists, bool ownPublication = false);

// The text --help prints: one line per switch and option.
QString helpText();

} // namespace lumeria
