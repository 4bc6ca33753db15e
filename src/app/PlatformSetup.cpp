#include "app/PlatformSetup.h"

#include "app/MainForm.h"
#include "app/PageScale.h"
#include "platform/gdi/Font.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>

#include <csignal>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

namespace lumeria {

namespace {

// The handler only writes to a pipe; the application reads it.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool chooseHeadlessPlatform(const CommandLine& cl)
{
    if (hasDisplay() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    // Pages are drawn with fonts, and fonts need a GUI application; without
    // a display the offscreen platform serves what needs none.
    const bool pagesOnly = cl.list || !cl.exportPages.isEmpty();
    if (!pagesOnly && cl.automate.isEmpty() && cl.mode != RunMode::SaverPreview) {
        std::cerr << "lumeria: no display to show the publication on; use --export-pages DIR, --automate "
                     "FILE, or QT_QPA_PLATFORM=offscreen\n";
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const CommandLine& cl)
{
    // Pages are pixels: a window scaled by a fraction would blur them, so
    // the desktop's own factor is rounded to a whole one, and the window
    // sets the factor the page shows at (app/PageScale.h).
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    auto app = std::make_unique<QApplication>(argc, argv);
    notePlatformFactor();
    QGuiApplication::setApplicationDisplayName(TMainForm::kUntitled);
    // Desktops group the window with the installed entry and show its icon;
    // the icon also travels in the program, for copies never installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lumeria.Lumeria"));
    QIcon icon;
    for (const int size : {32, 256})
        icon.addFile(QStringLiteral(":/lumeria/%1x%1/apps/org.lumeria.Lumeria.png").arg(size));
    if (!icon.availableSizes().isEmpty())
        QApplication::setWindowIcon(icon);
    // Scroll bars, fields and boxes meet the page's pixels: they take the
    // classic look the publications were drawn around, not the desktop's.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(classic);
    if (cl.smoothText)
        gdi::Font::setTextRendering(gdi::TextRendering::Smooth);
    return app;
}

std::unique_ptr<QSocketNotifier> watchSignals(std::function<void()> onStop)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [onStop = std::move(onStop)] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) == 1) {
        }
        onStop();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return notifier;
}

} // namespace lumeria
