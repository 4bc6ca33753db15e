// lumeria-pack: the authoring side's last step. Packs a folder into a
// container (appended to a player, or on its own), lists and extracts
// containers, dumps the publication they hold, and lays out article texts.
#include "Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <iostream>
#include <memory>

namespace {

constexpr const char* kUsage = "usage: lumeria-pack build DIR -o OUT [--exe PLAYER]\n"
                               "       lumeria-pack list FILE\n"
                               "       lumeria-pack extract FILE DIR [NAME...]\n"
                               "       lumeria-pack dump FILE\n"
                               "       lumeria-pack format SRC -o OUT --font NAME --size PT [--style N] --width PX\n"
                               "                           [--wordwrap]\n"
                               "\n"
                               "build    packs every file of DIR (names upper-cased) into a container written\n"
                               "         after the bytes of PLAYER, or alone (a bare container, by convention .lum)\n"
                               "list     prints each directory entry: name, type, offset, size, width, height\n"
                               "extract  writes the named entries, or all of them, into DIR\n"
                               "dump     prints the publication of the container's RUNTIME.PUB as JSON\n"
                               "format   lays out the marked-up text SRC into the formatted text OUT and prints\n"
                               "         the YRange, XRange and MaxLineHeight of an article showing it\n";

int usageError(const char* message)
{
    std::cerr << "lumeria-pack: " << message << "\n" << kUsage;
    return 1;
}

int formatCommand(const QStringList& args)
{
    constexpr const char* kFormatUsage =
        "format takes SRC -o OUT --font NAME --size PT [--style N] --width PX [--wordwrap]";
    lumeria::pack::FormatOptions options;
    bool sized = false;
    bool widthGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool number = true;
        if (a == QLatin1String("--wordwrap")) {
            options.wordWrap = true;
        } else if (a == QLatin1String("-o") && hasValue) {
            options.output = args[++i];
        } else if (a == QLatin1String("--font") && hasValue) {
            options.font = args[++i];
        } else if (a == QLatin1String("--size") && hasValue) {
            options.points = args[++i].toInt(&number);
            sized = true;
        } else if (a == QLatin1String("--style") && hasValue) {
            const int style = args[++i].toInt(&number);
            number = number && style >= 0 && style <= 15;
            options.style = uint8_t(style);
        } else if (a == QLatin1String("--width") && hasValue) {
            options.width = args[++i].toInt(&number);
            widthGiven = true;
        } else if (options.source.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            options.source = a;
        } else {
            return usageError(kFormatUsage);
        }
        if (!number)
            return usageError(kFormatUsage);
    }
    if (options.source.isEmpty() || options.output.isEmpty() || options.font.isEmpty() || !sized || !widthGiven)
        return usageError(kFormatUsage);
    return lumeria::pack::format(options);
}

} // namespace

int main(int argc, char** argv)
{
    // Laying out text measures it with real fonts, which needs a GUI
    // application; no window is ever shown, so no display is needed.
    const bool formatting = argc > 1 && QByteArray(argv[1]) == "format";
    std::unique_ptr<QCoreApplication> app;
    if (formatting) {
        // Qt's own notes about the session (no runtime folder and the like)
        // would break the one-line error rule; they say nothing about the text.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtFatalMsg)
                std::cerr << message.toStdString() << '\n';
        });
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError("no command given");
    const QString command = args.takeFirst();

    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (command == QLatin1String("build")) {
        QString folder, output, player;
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            if ((a == QLatin1String("-o") || a == QLatin1String("--exe")) && i + 1 < args.size()) {
                (a == QLatin1String("-o") ? output : player) = args[++i];
            } else if (folder.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
                folder = a;
            } else {
                return usageError("build takes DIR -o OUT [--exe PLAYER]");
            }
        }
        if (folder.isEmpty() || output.isEmpty())
            return usageError("build takes DIR -o OUT [--exe PLAYER]");
        return lumeria::pack::build(folder, output, player);
    }
    if (command == QLatin1String("list")) {
        if (args.size() != 1)
            return usageError("list takes one FILE");
        return lumeria::pack::list(args[0]);
    }
    if (command == QLatin1String("extract")) {
        if (args.size() < 2)
            return usageError("extract takes FILE DIR [NAME...]");
        return lumeria::pack::extract(args[0], args[1], args.mid(2));
    }
    if (command == QLatin1String("format"))
        return formatCommand(args);
    if (command == QLatin1String("dump")) {
        if (args.size() != 1)
            return usageError("dump takes one FILE");
        return lumeria::pack::dump(args[0]);
    }
    return usageError("unknown command");
}
