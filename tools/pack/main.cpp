// lumeria-pack: the authoring side's last step. Packs a folder into a
// container (appended to a player, or on its own), lists and extracts
// containers, and dumps the publication they hold.
#include "Commands.h"

#include <QCoreApplication>
#include <QStringList>

#include <iostream>

namespace {

constexpr const char* kUsage = "usage: lumeria-pack build DIR -o OUT [--exe PLAYER]\n"
                               "       lumeria-pack list FILE\n"
                               "       lumeria-pack extract FILE DIR [NAME...]\n"
                               "       lumeria-pack dump FILE\n"
                               "\n"
                               "build    packs every file of DIR (names upper-cased) into a container written\n"
                               "         after the bytes of PLAYER, or alone (a bare container, by convention .lum)\n"
                               "list     prints each directory entry: name, type, offset, size, width, height\n"
                               "extract  writes the named entries, or all of them, into DIR\n"
                               "dump     prints the publication of the container's RUNTIME.PUB as JSON\n";

int usageError(const char* message)
{
    std::cerr << "lumeria-pack: " << message << "\n" << kUsage;
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
    if (command == QLatin1String("dump")) {
        if (args.size() != 1)
            return usageError("dump takes one FILE");
        return lumeria::pack::dump(args[0]);
    }
    return usageError("unknown command");
}
