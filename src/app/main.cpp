// lumeria: plays a publication in its window, or exports or lists its pages.
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/PlayerSession.h"
#include "app/SaverPreview.h"
#include "automation/AutomationLog.h"
#include "automation/AutomationRunner.h"
#include "platform/Codepage.h"
#include "platform/gdi/Font.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyle>
#include <QStyleFactory>

#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kVersion = "lumeria 0.1.0";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString oneLine(QString message)
{
    // The boxes break lines with CR or LF; a blank line parts a heading
    // from its reason.
    return message.replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QStringLiteral("\n\n"), QStringLiteral(": "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// SIGINT and SIGTERM end the run as a close does, so that the files the
// publication extracted are removed; the handler only writes to a pipe.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
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

// Set once the scale is decided, so a player restarted with its factor does
// not decide again.
constexpr const char* kScaleChosen = "LUMERIA_SCALE_CHOSEN";

void useScaleFactor(int factor)
{
    // The factor is the whole scale: the screen's own DPI-based factor would
    // multiply it.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor));
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv(kScaleChosen, "1");
}

// The largest whole factor at which the page still fits the screen's free
// area, counted in the screen's device pixels; at least 1.
int autoScaleFactor(std::optional<QSize> page)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!page || page->isEmpty() || !screen)
        return 1;
    const QSize room = screen->availableGeometry().size() * screen->devicePixelRatio();
    return std::max(1, std::min(room.width() / page->width(), room.height() / page->height()));
}

} // namespace

int main(int argc, char** argv)
{
    using namespace lumeria;
    // A write past the process's file-size limit then fails with an error
    // code, reported like a full disk, instead of killing the player.
    ::signal(SIGXFSZ, SIG_IGN);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto parsed = parseCommandLine(
        QString::fromLocal8Bit(argv[0]), args, [](const QString& path) { return QFileInfo(path).isFile(); },
        PlayerSession::carriesOwnPublication());
    if (!parsed) {
        std::cerr << "lumeria: " << parsed.error().toStdString() << '\n';
        return 2;
    }
    const CommandLine& cl = parsed.value();
    if (cl.help) {
        std::cout << helpText().toStdString();
        return 0;
    }
    if (cl.version) {
        std::cout << kVersion << '\n';
        return 0;
    }
    if (!cl.codepage.isEmpty()) {
        const Codepage* codepage = Codepage::byName(cl.codepage);
        if (!codepage) {
            std::cerr << "lumeria: no code page is named " << cl.codepage.toStdString()
                      << " (known: " << Codepage::names().join(QStringLiteral(", ")).toStdString() << ")\n";
            return 2;
        }
        setActiveCodepage(*codepage);
    }
    // A SoundFont that is not there would only show as a media error box at
    // the first tune; the reader who named it learns it now.
    if (!cl.soundFont.isEmpty() && !QFileInfo(cl.soundFont).isFile()) {
        std::cerr << "lumeria: no SoundFont file at " << cl.soundFont.toStdString() << '\n';
        return 2;
    }
    // No system saver password exists to change.
    if (cl.mode == RunMode::SaverChangePassword)
        return 0;

    const bool pagesOnly = cl.list || !cl.exportPages.isEmpty();
    const bool automated = !cl.automate.isEmpty();
    if (!hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // Pages are drawn with fonts, and fonts need a GUI application;
        // without a display the offscreen platform serves what needs none.
        if (!pagesOnly && !automated && cl.mode != RunMode::SaverPreview) {
            std::cerr << "lumeria: no display to show the publication on; use --export-pages DIR, --automate "
                         "FILE, or QT_QPA_PLATFORM=offscreen\n";
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Pages are pixels: a window scaled by a fraction would blur them, so
    // scaling is by whole factors only.
    const bool scaleChosen = !qEnvironmentVariableIsEmpty(kScaleChosen);
    if (cl.scale.kind == ScaleChoice::Kind::Factor && !scaleChosen)
        useScaleFactor(cl.scale.factor);
    else
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    if (cl.scale.kind == ScaleChoice::Kind::Auto && !scaleChosen && !pagesOnly) {
        // The factor depends on the screen, which only a running application
        // can measure, and Qt takes it only when it starts: the player
        // starts again with it.
        const int factor = autoScaleFactor(PlayerSession::peekPageSize(cl.publication));
        if (factor > 1) {
            useScaleFactor(factor);
            ::execv("/proc/self/exe", argv);
            std::cerr << "lumeria: cannot restart scaled; playing unscaled\n";
        }
    }
    QGuiApplication::setApplicationDisplayName(TMainForm::kUntitled);
    // Scroll bars, fields and boxes meet the page's pixels: they take the
    // classic look the publications were drawn around, not the desktop's.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(classic);
    if (cl.smoothText)
        gdi::Font::setTextRendering(gdi::TextRendering::Smooth);

    AutomationScript script;
    if (automated) {
        auto read = readAutomationScript(cl.automate);
        if (!read) {
            std::cerr << "lumeria: " << cl.automate.toStdString() << ": " << read.error().toStdString() << '\n';
            return 2;
        }
        script = std::move(read).value();
    }

    // Nobody can answer a box where no reader sees it: its text goes to
    // standard error (and to the automation log) and it counts as closed.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    QFile startupLog;
    if (automated && !cl.automateLog.isEmpty()) {
        startupLog.setFileName(cl.automateLog);
        startupLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    }
    if (headless || pagesOnly || automated) {
        TQueryForm::setAnswerer([&](const QString& title, const QString& message, const QStringList& buttons) {
            std::cerr << "lumeria: " << oneLine(message).toStdString() << '\n';
            if (startupLog.isOpen()) {
                startupLog.write((AutomationLog::dialog(title, message, buttons, 0) + QLatin1Char('\n')).toUtf8());
                startupLog.flush();
            }
            return std::optional<int>(0);
        });
    }

    media::MediaOptions mediaOptions;
    mediaOptions.output.mute = cl.mute;
    mediaOptions.output.deviceName = cl.audioDevice;
    mediaOptions.soundFont = cl.soundFont;
    PlayerSession session(std::move(mediaOptions));
    if (!session.open(cl.publication, cl.safe)) {
        // A publication that failed after its Title= line was read is
        // already known by that title.
        const QString& title = session.publication().settings.Title;
        for (const QString& message : session.startupMessages()) {
            TQueryForm box(title.isEmpty() ? TMainForm::kUntitled : title, message, {QStringLiteral("OK")});
            box.ask();
        }
        return 1;
    }
    startupLog.close();
    TQueryForm::setAnswerer({});

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
    if (cl.mode == RunMode::SaverPreview)
        return runSaverPreview(session, cl.windowHandle.value_or(0));

    int status = 0;
    {
        TMainForm form(session, cl);
        std::unique_ptr<AutomationRunner> runner;
        if (automated) {
            runner = std::make_unique<AutomationRunner>(form, std::move(script), cl.automateLog);
            if (!runner->openLog()) {
                std::cerr << "lumeria: " << runner->error().toStdString() << '\n';
                return 2;
            }
            form.setFirstPageListener([&runner] { runner->start(); });
        } else if (headless) {
            TQueryForm::setAnswerer([](const QString&, const QString& message, const QStringList&) {
                std::cerr << "lumeria: " << oneLine(message).toStdString() << '\n';
                return std::optional<int>(0);
            });
        }
        const auto signalWatch = watchSignals([&form] { form.shutDown(); });
        form.start();
        status = app.exec();
        if (runner)
            status = runner->failed() ? 1 : 0;
        runner.reset();
        TQueryForm::setAnswerer({});
    }
    // The window is gone; the session closes the container, deleting the
    // files it extracted, as it goes out of scope.
    return status;
}
