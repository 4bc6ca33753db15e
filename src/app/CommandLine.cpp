#include "app/CommandLine.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace lumeria {

namespace {

enum class Option {
    Page,
    FullScreen,
    Windowed,
    Scale,
    SmoothText,
    Speak,
    PrintTo,
    ExportPages,
    Automate,
    AutomateLog,
    Safe,
    Trust,
    Drive,
    Codepage,
    Mute,
    AudioDevice,
    SoundFont,
    ScreenshotDir,
    ScriptTimeout,
    List,
    Version,
    Help,
};

struct OptionInfo {
    Option option;
    const char* name;
    const char* valueName; // nullptr: a flag
    const char* help;
};

// One table drives the parser and --help, so an option cannot be accepted
// without being documented.
constexpr std::array kOptions{
    OptionInfo{Option::Page, "page", "NAME", "start on the page NAME (like /KNAME)"},
    OptionInfo{Option::FullScreen, "fullscreen", nullptr, "full screen, whatever the publication asks"},
    OptionInfo{Option::Windowed, "windowed", nullptr, "in a window, whatever the publication asks"},
    OptionInfo{Option::Scale, "scale", "N|auto", "draw pages N times larger, or as large as the screen allows"},
    OptionInfo{Option::SmoothText, "smooth-text", nullptr, "draw text anti-aliased"},
    OptionInfo{Option::Speak, "speak", nullptr,
               "read each page's texts, the button Tab reaches and every pop-up aloud (Ctrl+Shift+S turns it on and "
               "off)"},
    OptionInfo{Option::PrintTo, "print-to", "FILE.pdf", "print to a PDF file instead of a printer"},
    OptionInfo{Option::ExportPages, "export-pages", "DIR", "write every page as a PNG picture into DIR and exit"},
    OptionInfo{Option::Automate, "automate", "FILE", "run the commands in FILE after the first page is shown"},
    OptionInfo{Option::AutomateLog, "automate-log", "FILE",
               "write dialogs, menus and pop-ups met while automating to FILE"},
    OptionInfo{Option::Safe, "safe", nullptr,
               "refuse programs, web links and file writes outside the publication's folder and the player's own "
               "folders, without asking"},
    OptionInfo{Option::Trust, "trust", nullptr,
               "let the publication start programs and write anywhere without asking, as the original player did"},
    OptionInfo{Option::Drive, "drive", "L=DIR",
               "let drive letter L stand for the folder DIR (repeatable); C: is a folder of your own and every other "
               "letter the disc or folder the publication lies on"},
    OptionInfo{Option::Codepage, "codepage", "NAME", "decode the publication's text with code page NAME"},
    OptionInfo{Option::Mute, "mute", nullptr, "play sound, music and tones silently, keeping their timing"},
    OptionInfo{Option::AudioDevice, "audio-device", "NAME", "send sound to the output device NAME"},
    OptionInfo{Option::SoundFont, "soundfont", "FILE", "play MIDI music with the SoundFont FILE"},
    OptionInfo{Option::ScreenshotDir, "screenshot-dir", "DIR",
               "save the screenshots Ctrl+F12 takes into DIR instead of your pictures folder"},
    OptionInfo{Option::ScriptTimeout, "script-timeout", "SECONDS",
               "ask whether to stop a script that has run SECONDS (default 10) without waiting for you; 0 never "
               "asks"},
    OptionInfo{Option::List, "list", nullptr, "list the publication's pages and exit"},
    OptionInfo{Option::Version, "version", nullptr, "print the version and exit"},
    OptionInfo{Option::Help, "help", nullptr, "print this help and exit"},
};

const OptionInfo* findOption(QStringView name)
{
    for (const OptionInfo& info : kOptions) {
        if (name == QLatin1String(info.name)) {
            return &info;
        }
    }
    return nullptr;
}

bool isSaverName(const QString& programPath)
{
    return QFileInfo(programPath).suffix().compare(QLatin1String("scr"), Qt::CaseInsensitive) == 0;
}

std::optional<qulonglong> handleFrom(const QString& text)
{
    bool ok = false;
    const qulonglong handle = text.trimmed().toULongLong(&ok);
    return ok ? std::optional(handle) : std::nullopt;
}

// The saver host starts us as "NAME.SCR /S", "/C[:hwnd]", "/P hwnd", "/P:hwnd"
// or "/A hwnd"; only the letter after the first character counts. args
// begin with the saver argument.
void decideSaverMode(const QStringList& args, CommandLine& line)
{
    if (args.isEmpty() || args.first().size() < 2) {
        line.mode = RunMode::SaverWithoutArgument;
        return;
    }
    const QString& first = args.first();
    const QChar letter = first.at(1).toUpper();
    const bool colon = first.size() > 2 && first.at(2) == QLatin1Char(':');
    if (letter == QLatin1Char('C')) {
        line.mode = RunMode::SaverConfigure;
        if (colon) {
            line.windowHandle = handleFrom(first.mid(3));
        }
    } else if (letter == QLatin1Char('P') || letter == QLatin1Char('A')) {
        line.mode = letter == QLatin1Char('P') ? RunMode::SaverPreview : RunMode::SaverChangePassword;
        if (colon) {
            line.windowHandle = handleFrom(first.mid(3));
        } else if (args.size() > 1) {
            line.windowHandle = handleFrom(args.at(1));
        }
    } else {
        line.mode = RunMode::SaverRun;
    }
}

void decideRunMode(const QString& programPath, const QStringList& args, CommandLine& line)
{
    if (!isSaverName(programPath)) {
        line.mode = RunMode::Normal;
        return;
    }
    decideSaverMode(args, line);
}

// A ".SCR" publication played by a player of another name is a saver too:
// its saver argument is the one right after it, as a host that starts
// savers by name passes it. A long option there is the player's, not the
// saver's, and neither is a path. Returns the saver argument's index, or -1.
qsizetype decideSaverPublicationMode(const QStringList& args, qsizetype publicationAt, CommandLine& line)
{
    const qsizetype next = publicationAt + 1;
    const QString after = next < args.size() ? args.at(next) : QString();
    const bool saverArgument = !after.startsWith(QLatin1String("--")) && after.indexOf(QLatin1Char('/'), 1) < 0 &&
                               (after.startsWith(QLatin1Char('/')) || after.startsWith(QLatin1Char('-')));
    decideSaverMode(saverArgument ? args.mid(next) : QStringList(), line);
    return saverArgument ? next : -1;
}

QString optionName(const OptionInfo& info)
{
    return QStringLiteral("--") + QLatin1String(info.name);
}

std::optional<ParseError> applyOption(const OptionInfo& info, const QString& value, CommandLine& line)
{
    switch (info.option) {
    case Option::Page: line.firstPage = value; break;
    case Option::FullScreen: line.window = WindowChoice::FullScreen; break;
    case Option::Windowed: line.window = WindowChoice::Windowed; break;
    case Option::Scale: {
        if (value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
            line.scale = {ScaleChoice::Kind::Auto, 1};
            break;
        }
        bool ok = false;
        const int factor = value.toInt(&ok);
        if (!ok || factor < 1) {
            return ParseError{QStringLiteral("--scale takes a positive whole number or auto, not '%1'").arg(value)};
        }
        line.scale = {ScaleChoice::Kind::Factor, factor};
        break;
    }
    case Option::SmoothText: line.smoothText = true; break;
    case Option::Speak: line.speak = true; break;
    case Option::PrintTo:
        // Only PDF output exists; a name without the suffix is far more often
        // a forgotten argument than a wish for an extension-less PDF.
        if (!value.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            return ParseError{QStringLiteral("--print-to writes PDF only; '%1' does not end in .pdf").arg(value)};
        }
        line.printTo = value;
        break;
    case Option::ExportPages: line.exportPages = value; break;
    case Option::Automate: line.automate = value; break;
    case Option::AutomateLog: line.automateLog = value; break;
    case Option::Safe:
    case Option::Trust:
        if ((info.option == Option::Safe && line.trust) || (info.option == Option::Trust && line.safe))
            return ParseError{QStringLiteral("--safe and --trust contradict each other; give one of them")};
        (info.option == Option::Safe ? line.safe : line.trust) = true;
        break;
    case Option::Drive: {
        const qsizetype eq = value.indexOf(QLatin1Char('='));
        const QChar letter = value.isEmpty() ? QChar() : value.at(0).toUpper();
        const QString folder = eq >= 0 ? value.mid(eq + 1) : QString();
        if (eq != 1 || letter < QLatin1Char('A') || letter > QLatin1Char('Z') || folder.isEmpty())
            return ParseError{
                QStringLiteral("--drive takes a letter, '=' and a folder, as in D=/media/cdrom; not '%1'").arg(value)};
        if (!QFileInfo(folder).isDir())
            return ParseError{QStringLiteral("--drive %1: '%2' is not a folder").arg(letter).arg(folder)};
        line.drives[letter.unicode() - u'A'] = QFileInfo(folder).absoluteFilePath();
        break;
    }
    case Option::Codepage: line.codepage = value; break;
    case Option::Mute: line.mute = true; break;
    case Option::AudioDevice: line.audioDevice = value; break;
    case Option::SoundFont: line.soundFont = value; break;
    case Option::ScreenshotDir: line.screenshotFolder = value; break;
    case Option::ScriptTimeout: {
        // A day is far beyond any script that means to end; a larger number
        // is a typing slip more likely than a wish.
        constexpr int kMaxScriptTimeout = 86400;
        const bool digits = value.size() <= 6 &&
                            std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const int seconds = digits ? value.toInt() : -1;
        if (seconds < 0 || seconds > kMaxScriptTimeout) {
            return ParseError{QStringLiteral("--script-timeout takes whole seconds from 0 (never ask) to %1, not '%2'")
                                  .arg(kMaxScriptTimeout)
                                  .arg(value)};
        }
        line.scriptTimeout = seconds;
        break;
    }
    case Option::List: line.list = true; break;
    case Option::Version: line.version = true; break;
    case Option::Help: line.help = true; break;
    }
    return std::nullopt;
}

// A short switch: letter at index 1, value from index 2, both upper-cased.
void applySwitch(const QString& arg, CommandLine& line)
{
    if (arg.size() < 2) {
        return;
    }
    const QChar letter = arg.at(1).toUpper();
    if (letter == QLatin1Char('B')) {
        line.printWithoutDialog = true;
    } else if (letter == QLatin1Char('K')) {
        line.firstPage = arg.mid(2).toUpper();
    }
}

} // namespace

ParseResult<CommandLine> parseCommandLine(const QString& programPath, const QStringList& args,
                                          const FileExists& fileExists, bool ownPublication)
{
    CommandLine line;
    decideRunMode(programPath, args, line);
    if (line.mode == RunMode::SaverPreview || line.mode == RunMode::SaverChangePassword) {
        // The saver host passes nothing else, and neither mode shows a publication.
        return line;
    }

    bool havePublication = false;
    qsizetype saverArgumentAt = line.mode == RunMode::Normal ? -1 : 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg.isEmpty()) {
            continue;
        }
        if (i == saverArgumentAt) {
            // The saver argument ("/S", "/C:hwnd", or something too short to
            // mean anything) is never the publication; as a switch its
            // letter is only heeded when it is B or K, like any other.
            applySwitch(arg, line);
            continue;
        }
        // A slash further on makes it a path, not a switch: a mistyped
        // publication path must say "not found", not play something else.
        const bool path = arg.startsWith(QLatin1Char('/')) && arg.indexOf(QLatin1Char('/'), 1) > 0;
        const bool dashed = arg.startsWith(QLatin1Char('-')) || (arg.startsWith(QLatin1Char('/')) && !path);
        if (!dashed || fileExists(arg)) {
            if (ownPublication && !arg.contains(QLatin1Char('/')) && !fileExists(arg))
                continue;
            if (havePublication) {
                return ParseError{
                    QStringLiteral("more than one publication given: '%1' and '%2'").arg(line.publication, arg)};
            }
            line.publication = arg;
            havePublication = true;
            if (line.mode == RunMode::Normal && isSaverName(arg)) {
                saverArgumentAt = decideSaverPublicationMode(args, i, line);
                // As for a saver of that name, the host's window handle
                // follows and nothing else counts.
                if (line.mode == RunMode::SaverPreview || line.mode == RunMode::SaverChangePassword)
                    return line;
            }
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            applySwitch(arg, line);
            continue;
        }

        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QStringView name = QStringView(arg).mid(2, equals < 0 ? -1 : equals - 2);
        const OptionInfo* info = findOption(name);
        if (!info) {
            return ParseError{QStringLiteral("unknown option '--%1' (try --help)").arg(name)};
        }
        QString value;
        if (!info->valueName) {
            if (equals >= 0) {
                return ParseError{QStringLiteral("%1 takes no value").arg(optionName(*info))};
            }
        } else if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1String("--"))) {
            value = args.at(++i);
        } else {
            return ParseError{
                QStringLiteral("%1 needs a value: %1 %2").arg(optionName(*info), QLatin1String(info->valueName))};
        }
        if (info->valueName && value.isEmpty()) {
            return ParseError{
                QStringLiteral("%1 needs a value: %1 %2").arg(optionName(*info), QLatin1String(info->valueName))};
        }
        if (auto error = applyOption(*info, value, line)) {
            return *error;
        }
    }
    return line;
}

QString helpText()
{
    QString text = QStringLiteral("Usage: lumeria [PUBLICATION] [switches] [options]\n"
                                  "Plays PUBLICATION, else the publication appended to the program, else asks what to\n"
                                  "play (a publication, a disc's folder or the tour); the tour plays at once where no\n"
                                  "reader can be asked: offscreen, or with --list, --export-pages or --automate.\n"
                                  "An argument naming an existing file or folder is always the publication.\n"
                                  "\n"
                                  "Switches:\n"
                                  "  /B, -B                 print without showing the printer dialog\n"
                                  "  /KNAME, -KNAME         start on the page NAME\n"
                                  "  /S, /C, /P N, /A N     screen-saver modes, when the program's name ends in .scr,\n"
                                  "                         or right after a publication whose name does\n"
                                  "\n"
                                  "Options:\n");
    for (const OptionInfo& info : kOptions) {
        QString left = optionName(info);
        if (info.valueName) {
            left += QLatin1Char(' ') + QLatin1String(info.valueName);
        }
        text += QStringLiteral("  %1 %2\n").arg(left, -22).arg(QLatin1String(info.help));
    }
    return text;
}

} // namespace lumeria
