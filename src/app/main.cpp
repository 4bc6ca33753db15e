// lumeria: plays a publication. Today it opens the publication, reports
// start-up failures as the player does, and exports its pages; the window
// that shows them is being built on this.
#include "app/CommandLine.h"
#include "app/PlayerSession.h"
#include "platform/gdi/Font.h"
#include "script/FileCommands.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <iostream>

namespace {

constexpr const char* kVersion = "lumeria 0.1.0";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto parsed = lumeria::parseCommandLine(QString::fromLocal8Bit(argv[0]), args,
                                                  [](const QString& path) { return QFileInfo(path).isFile(); });
    if (!parsed) {
        std::cerr << "lumeria: " << parsed.error().toStdString() << '\n';
        return 2;
    }
    const lumeria::CommandLine& cl = parsed.value();
    if (cl.help) {
        std::cout << lumeria::helpText().toStdString();
        return 0;
    }
    if (cl.version) {
        std::cout << kVersion << '\n';
        return 0;
    }

    // Pages are drawn with fonts, and fonts need a GUI application; without
    // a display the offscreen platform serves what needs no window.
    if (!hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (cl.smoothText)
        lumeria::gdi::Font::setTextRendering(lumeria::gdi::TextRendering::Smooth);

    lumeria::PlayerSession session;
    if (!session.open(cl.publication)) {
        for (const QString& message : session.startupMessages()) {
            QString line = message;
            std::cerr << "lumeria: " << line.replace(QStringLiteral("\r\r"), QStringLiteral(": ")).toStdString()
                      << '\n';
        }
        return 1;
    }
    if (cl.list) {
        for (const auto& page : session.publication().document.pages())
            std::cout << page->Name.toStdString() << '\n';
        return 0;
    }
    if (!cl.exportPages.isEmpty()) {
        QString error;
        if (!session.exportPages(cl.exportPages, &error)) {
            std::cerr << "lumeria: " << error.toStdString() << '\n';
            return 1;
        }
        std::cout << "pages written to " << cl.exportPages.toStdString() << '\n';
        return 0;
    }
    std::cerr << "lumeria: the player window is not built yet; use --export-pages DIR or --list\n";
    return 1;
}
