#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <QSet>

#include <string>

namespace lumeria {
namespace {

const QString kPlayer = QStringLiteral("/usr/bin/lumeria");
const QString kSaver = QStringLiteral("/home/ann/.saver/Lumeria.scr");

QStringList split(const char* args)
{
    return QString::fromUtf8(args).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

ParseResult<CommandLine> parse(const QString& program, const char* args, QSet<QString> files = {})
{
    return parseCommandLine(program, split(args), [files](const QString& path) { return files.contains(path); });
}

CommandLine parseOk(const QString& program, const char* args, QSet<QString> files = {})
{
    auto result = parse(program, args, std::move(files));
    EXPECT_TRUE(result.ok()) << qPrintable(result.error());
    return result.ok() ? result.value() : CommandLine{};
}

struct ModeCase {
    const char* program;
    const char* args;
    RunMode mode;
    std::optional<qulonglong> handle;
};

TEST(CommandLineTest, RunModeComesFromTheNameAndFirstArgument)
{
    const ModeCase cases[] = {
        {"/usr/bin/lumeria", "", RunMode::Normal, {}},
        {"/usr/bin/lumeria", "/s", RunMode::Normal, {}},
        {"/usr/bin/lumeria", "/p 123", RunMode::Normal, {}},
        {"lumeria.scr.bak", "/s", RunMode::Normal, {}},
        {"Lumeria.scr", "", RunMode::SaverWithoutArgument, {}},
        {"Lumeria.SCR", "x", RunMode::SaverWithoutArgument, {}},
        {"Lumeria.Scr", "/c", RunMode::SaverConfigure, {}},
        {"Lumeria.scr", "-C", RunMode::SaverConfigure, {}},
        {"Lumeria.scr", "/c:1234", RunMode::SaverConfigure, 1234},
        {"Lumeria.scr", "/s", RunMode::SaverRun, {}},
        {"Lumeria.scr", "/x", RunMode::SaverRun, {}},
        {"Lumeria.scr", "/p 123", RunMode::SaverPreview, 123},
        {"Lumeria.scr", "/P:123", RunMode::SaverPreview, 123},
        {"Lumeria.scr", "/p", RunMode::SaverPreview, {}},
        {"Lumeria.scr", "/p window", RunMode::SaverPreview, {}},
        {"Lumeria.scr", "/a 77", RunMode::SaverChangePassword, 77},
        {"Lumeria.scr", "-a:77", RunMode::SaverChangePassword, 77},
    };
    for (const ModeCase& c : cases) {
        const CommandLine line = parseOk(QString::fromUtf8(c.program), c.args);
        EXPECT_EQ(line.mode, c.mode) << c.program << " " << c.args;
        EXPECT_EQ(line.windowHandle, c.handle) << c.program << " " << c.args;
    }
}

TEST(CommandLineTest, PreviewAndPasswordTakeNothingElse)
{
    // The handle argument must not be read as a publication or a switch.
    const CommandLine line = parseOk(kSaver, "/p 123 --bogus /Kintro", {QStringLiteral("123")});
    EXPECT_EQ(line.mode, RunMode::SaverPreview);
    EXPECT_TRUE(line.publication.isEmpty());
    EXPECT_TRUE(line.firstPage.isEmpty());
}

// A publication named .SCR carries its saver modes to a player of any name:
// the argument after it is the saver's.
TEST(CommandLineTest, APublicationNamedScrTakesTheSaverArgumentAfterIt)
{
    struct PublicationCase {
        const char* args;
        RunMode mode;
        std::optional<qulonglong> handle;
    };
    const PublicationCase cases[] = {
        {"Saver.SCR", RunMode::SaverWithoutArgument, {}},
        {"Saver.scr /s", RunMode::SaverRun, {}},
        {"Saver.Scr -c", RunMode::SaverConfigure, {}},
        {"Saver.scr /c:99", RunMode::SaverConfigure, 99},
        {"Saver.scr /p 12345", RunMode::SaverPreview, 12345},
        {"Saver.scr /a:7", RunMode::SaverChangePassword, 7},
        {"--mute Saver.scr /s --list", RunMode::SaverRun, {}},
        // A long option or a path after it is no saver argument.
        {"Saver.scr --list", RunMode::SaverWithoutArgument, {}},
        {"book.lum /s", RunMode::Normal, {}},
    };
    for (const PublicationCase& c : cases) {
        const CommandLine line = parseOk(kPlayer, c.args);
        EXPECT_EQ(line.mode, c.mode) << c.args;
        EXPECT_EQ(line.windowHandle, c.handle) << c.args;
    }
    CommandLine line = parseOk(kPlayer, "/media/cd/SAVER.SCR /p 12345", {QStringLiteral("12345")});
    EXPECT_EQ(line.publication, QStringLiteral("/media/cd/SAVER.SCR"));
    line = parseOk(kPlayer, "--mute Saver.scr /s --list");
    EXPECT_TRUE(line.mute);
    EXPECT_TRUE(line.list);
    EXPECT_EQ(line.publication, QStringLiteral("Saver.scr"));
    line = parseOk(kPlayer, "Saver.scr /s /Kintro");
    EXPECT_EQ(line.firstPage, QStringLiteral("INTRO"));
    // A path after it is another publication, not a saver argument.
    EXPECT_FALSE(parse(kPlayer, "saver.scr /tmp/other.lum", {QStringLiteral("/tmp/other.lum")}).ok());
}

TEST(CommandLineTest, ShortSwitchesTakeTheLetterAndUpperCasedRest)
{
    CommandLine line = parseOk(kPlayer, "/Kintro");
    EXPECT_EQ(line.firstPage, QStringLiteral("INTRO"));
    EXPECT_FALSE(line.printWithoutDialog);

    line = parseOk(kPlayer, "-kMenu -b");
    EXPECT_EQ(line.firstPage, QStringLiteral("MENU"));
    EXPECT_TRUE(line.printWithoutDialog);

    // Any text after B still makes it B; unknown letters and lone dashes are ignored.
    line = parseOk(kPlayer, "/Bnow /Z - /");
    EXPECT_TRUE(line.printWithoutDialog);
    EXPECT_TRUE(line.firstPage.isEmpty());

    // Saver modes 1 to 3 read switches too, but their first argument is
    // never the publication, even when a file of that name exists.
    line = parseOk(kSaver, "/s /kend");
    EXPECT_EQ(line.mode, RunMode::SaverRun);
    EXPECT_EQ(line.firstPage, QStringLiteral("END"));
    line = parseOk(kSaver, "x book.pub", {QStringLiteral("x")});
    EXPECT_EQ(line.mode, RunMode::SaverWithoutArgument);
    EXPECT_EQ(line.publication, QStringLiteral("book.pub"));
    line = parseOk(kSaver, "/c:99 /Kconfig", {QStringLiteral("/c:99")});
    EXPECT_EQ(line.mode, RunMode::SaverConfigure);
    EXPECT_TRUE(line.publication.isEmpty());
    EXPECT_EQ(line.firstPage, QStringLiteral("CONFIG"));
}

TEST(CommandLineTest, LastPageChoiceWins)
{
    EXPECT_EQ(parseOk(kPlayer, "/Kone -Ktwo").firstPage, QStringLiteral("TWO"));
    EXPECT_EQ(parseOk(kPlayer, "/Kone --page Two").firstPage, QStringLiteral("Two"));
    EXPECT_EQ(parseOk(kPlayer, "--page=Two /Kone").firstPage, QStringLiteral("ONE"));
    // An empty /K cancels an earlier one: the first page of the list is shown.
    EXPECT_TRUE(parseOk(kPlayer, "/Kone /K").firstPage.isEmpty());
}

TEST(CommandLineTest, ExistingFileIsThePublicationEvenWhenItLooksLikeASwitch)
{
    const QSet<QString> files{QStringLiteral("/home/ann/books/atlas.exe"), QStringLiteral("-Kdemo.pub")};
    CommandLine line = parseOk(kPlayer, "/home/ann/books/atlas.exe /Kmap", files);
    EXPECT_EQ(line.publication, QStringLiteral("/home/ann/books/atlas.exe"));
    EXPECT_EQ(line.firstPage, QStringLiteral("MAP"));

    line = parseOk(kPlayer, "-Kdemo.pub", files);
    EXPECT_EQ(line.publication, QStringLiteral("-Kdemo.pub"));
    EXPECT_TRUE(line.firstPage.isEmpty());

    // A missing path is still the publication, to be reported as not found;
    // a single slash-word stays a switch.
    line = parseOk(kPlayer, "/home/ann/missing.pub", files);
    EXPECT_EQ(line.publication, QStringLiteral("/home/ann/missing.pub"));
    EXPECT_TRUE(parseOk(kPlayer, "/Kmissing.pub").publication.isEmpty());

    // A plain word is the publication even when missing, so opening it reports
    // "not found" rather than silently playing something else.
    EXPECT_EQ(parseOk(kPlayer, "missing.pub").publication, QStringLiteral("missing.pub"));

    // A player carrying its own publication ignores such words; existing
    // files and paths with a folder still name another publication.
    auto own = [&](const char* args) {
        auto result = parseCommandLine(
            kPlayer, split(args), [&](const QString& p) { return files.contains(p); }, true);
        EXPECT_TRUE(result.ok());
        return result.ok() ? result.value().publication : QStringLiteral("<error>");
    };
    EXPECT_EQ(own("missing.pub"), QString());
    EXPECT_EQ(own("demo now"), QString());
    EXPECT_EQ(own("-Kdemo.pub"), QStringLiteral("-Kdemo.pub"));
    EXPECT_EQ(own("./missing.pub"), QStringLiteral("./missing.pub"));
}

TEST(CommandLineTest, LongOptionsWithAndWithoutEquals)
{
    const CommandLine line =
        parseOk(kPlayer, "book.pub --page Intro --fullscreen --scale 3 --smooth-text --print-to out.PDF "
                         "--export-pages=pages --automate run.txt --automate-log=log.txt --safe "
                         "--codepage=windows-1250 --mute --audio-device=Speakers --soundfont gm.sf2 --list --version "
                         "--help");
    EXPECT_EQ(line.publication, QStringLiteral("book.pub"));
    EXPECT_EQ(line.firstPage, QStringLiteral("Intro"));
    EXPECT_EQ(line.window, WindowChoice::FullScreen);
    EXPECT_EQ(line.scale.kind, ScaleChoice::Kind::Factor);
    EXPECT_EQ(line.scale.factor, 3);
    EXPECT_TRUE(line.smoothText);
    EXPECT_EQ(line.printTo, QStringLiteral("out.PDF"));
    EXPECT_EQ(line.exportPages, QStringLiteral("pages"));
    EXPECT_EQ(line.automate, QStringLiteral("run.txt"));
    EXPECT_EQ(line.automateLog, QStringLiteral("log.txt"));
    EXPECT_TRUE(line.safe);
    EXPECT_EQ(line.codepage, QStringLiteral("windows-1250"));
    EXPECT_TRUE(line.mute);
    EXPECT_EQ(line.audioDevice, QStringLiteral("Speakers"));
    EXPECT_EQ(line.soundFont, QStringLiteral("gm.sf2"));
    EXPECT_TRUE(line.list);
    EXPECT_TRUE(line.version);
    EXPECT_TRUE(line.help);

    const CommandLine defaults = parseOk(kPlayer, "");
    EXPECT_EQ(defaults.window, WindowChoice::Publication);
    EXPECT_EQ(defaults.scale.kind, ScaleChoice::Kind::Publication);
    EXPECT_FALSE(defaults.safe);

    EXPECT_EQ(parseOk(kPlayer, "--fullscreen --windowed").window, WindowChoice::Windowed);
    EXPECT_EQ(parseOk(kPlayer, "--scale=AUTO").scale.kind, ScaleChoice::Kind::Auto);
    EXPECT_EQ(parseOk(kPlayer, "--scale 2 --scale=auto").scale.kind, ScaleChoice::Kind::Auto);
    // A value that names an existing file is still the option's value.
    EXPECT_TRUE(parseOk(kPlayer, "--automate run.txt", {QStringLiteral("run.txt")}).publication.isEmpty());
}

struct ErrorCase {
    const char* args;
    const char* message;
};

TEST(CommandLineTest, MistakesAreOneLineErrors)
{
    const ErrorCase cases[] = {
        {"--fulscreen", "unknown option '--fulscreen' (try --help)"},
        {"--Page x", "unknown option '--Page' (try --help)"},
        {"--page", "--page needs a value: --page NAME"},
        {"--page=", "--page needs a value: --page NAME"},
        {"--automate --safe", "--automate needs a value: --automate FILE"},
        {"--safe=yes", "--safe takes no value"},
        {"--scale 0", "--scale takes a positive whole number or auto, not '0'"},
        {"--scale -2", "--scale takes a positive whole number or auto, not '-2'"},
        {"--scale big", "--scale takes a positive whole number or auto, not 'big'"},
        {"--print-to out.ps", "--print-to writes PDF only; 'out.ps' does not end in .pdf"},
        {"a.pub b.pub", "more than one publication given: 'a.pub' and 'b.pub'"},
    };
    for (const ErrorCase& c : cases) {
        const auto result = parse(kPlayer, c.args);
        ASSERT_FALSE(result.ok()) << c.args;
        EXPECT_EQ(result.error(), QString::fromUtf8(c.message)) << c.args;
        EXPECT_FALSE(result.error().contains(QLatin1Char('\n')));
    }
}

TEST(CommandLineTest, HelpNamesEveryOptionOnItsOwnLine)
{
    const QString help = helpText();
    const QStringList lines = help.split(QLatin1Char('\n'));
    for (const char* option :
         {"--page NAME", "--fullscreen", "--windowed", "--scale N|auto", "--smooth-text", "--print-to FILE.pdf",
          "--export-pages DIR", "--automate FILE", "--automate-log FILE", "--safe", "--codepage NAME", "--mute",
          "--audio-device NAME", "--soundfont FILE", "--list", "--version", "--help", "/B", "/KNAME"}) {
        const auto count = std::count_if(lines.begin(), lines.end(), [&](const QString& line) {
            return line.trimmed().startsWith(QString::fromUtf8(option) + QLatin1Char(' ')) ||
                   line.trimmed().startsWith(QString::fromUtf8(option) + QLatin1Char(','));
        });
        EXPECT_EQ(count, 1) << option;
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const QString& line) { return line.trimmed().startsWith(QLatin1String("--speak ")); }),
              1);
    const auto safe = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.trimmed().startsWith(QLatin1String("--safe"));
    });
    ASSERT_NE(safe, lines.end());
    for (const char* word : {"programs", "web links", "file writes", "publication's folder", "player's own"}) {
        EXPECT_TRUE(safe->contains(QLatin1String(word))) << word;
    }
}

TEST(CommandLineTest, ScriptTimeoutIsWholeSecondsUpToADay)
{
    EXPECT_EQ(parseOk(kPlayer, "").scriptTimeout, 10);
    EXPECT_EQ(parseOk(kPlayer, "--script-timeout 0").scriptTimeout, 0);
    EXPECT_EQ(parseOk(kPlayer, "--script-timeout=86400").scriptTimeout, 86400);
    EXPECT_EQ(parseOk(kPlayer, "--script-timeout 007").scriptTimeout, 7);
    for (const char* bad : {"-1", "+5", "1.5", "86401", "4294967297", "5s", "٥"}) {
        const auto result = parse(kPlayer, (std::string("--script-timeout=") + bad).c_str());
        ASSERT_FALSE(result.ok()) << bad;
        EXPECT_EQ(result.error(),
                  QStringLiteral("--script-timeout takes whole seconds from 0 (never ask) to 86400, not '%1'")
                      .arg(QString::fromUtf8(bad)));
    }
    EXPECT_FALSE(parse(kPlayer, "--script-timeout").ok());

    EXPECT_EQ(parseOk(kPlayer, "--screenshot-dir shots").screenshotFolder, QStringLiteral("shots"));
    EXPECT_TRUE(parseOk(kPlayer, "").screenshotFolder.isEmpty());
    EXPECT_FALSE(parse(kPlayer, "--screenshot-dir=").ok());
    const QString help = helpText();
    EXPECT_TRUE(help.contains(QLatin1String("--script-timeout SECONDS")));
    EXPECT_TRUE(help.contains(QLatin1String("--screenshot-dir DIR")));
}

} // namespace
} // namespace lumeria
