#include "app/PlatformSetup.h"

#include "app/MainForm.h"
#include "app/PageScale.h"
#include "platform/gdi/Font.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
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

// The program's icon, decoded when the platform first asks for it: a
// window shown off screen never does. QIcon::addFile would decode every
// size at once, after loading each image format plugin to ask whether it
// knows the file; together a sixth of start-up.
class ProgramIconEngine final : public QIconEngine {
public:
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(32, 32), QSize(256, 256)}; }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size.boundedTo(QSize(256, 256)); }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize actual = actualSize(size, mode, state);
        if (actual.isEmpty())
            return {};
        const int source = actual.width() <= 32 && actual.height() <= 32 ? 32 : 256;
        QImage& image = source == 32 ? m_small : m_large;
        if (image.isNull()) {
            QImageReader reader(QStringLiteral(":/lumeria/%1x%1/apps/org.lumeria.Lumeria.png").arg(source), "png");
            reader.setAutoDetectImageFormat(false);
            image = reader.read();
        }
        if (image.isNull())
            return {};
        if (image.size() == actual)
            return QPixmap::fromImage(image);
        return QPixmap::fromImage(image.scaled(actual, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }

private:
    QImage m_small;
    QImage m_large;
};

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
    QApplication::setWindowIcon(QIcon(new ProgramIconEngine));
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
