// lumeria: plays a publication in its window, or exports or lists its pages.
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/PlatformSetup.h"
#include "app/PlayerSession.h"
#include "app/PublicationChoice.h"
#include "app/SaverPreview.h"
#include "automation/AutomationLog.h"
#include "automation/AutomationRunner.h"
#include "platform/Codepage.h"
#include "platform/disc/ImageVolume.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <iostream>
#include <memory>
#include <optional>

namespace {

using namespace lumeria;

constexpr const char* kVersion = "lumeria 0.1.0";

// An image of a CD-ROM by its name: the file types disc images are kept in.
bool isDiscImageName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("iso") || suffix == QLatin1String("cue") || suffix == QLatin1String("bin") ||
           suffix == QLatin1String("img");
}

QString oneLine(QString message)
{
    // The boxes break lines with CR or LF; a blank line parts a heading
    // from its reason.
    return message.replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QStringLiteral("\n\n"), QStringLiteral(": "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// What is answered from the command line alone, before any application or
// publication: help, the version, a wrong code page or SoundFont, and the
// saver's password change (no system saver password exists to change).
std::optional<int> answerFromCommandLine(const CommandLine& cl)
{
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
    if (cl.mode == RunMode::SaverChangePassword)
        return 0;
    return std::nullopt;
}

// The modes that end once the publication is open: listing pages,
// exporting them, and the saver's preview.
std::optional<int> runOneShotMode(PlayerSession& session, const CommandLine& cl)
{
    if (cl.list) {
        for (const auto& page : session.publication().document.pages())
            std::cout << page->Name.toStdString() << '\n';
        return 0;
    }
    if (!cl.exportPages.isEmpty()) {
        if (const Status exported = session.exportPages(cl.exportPages); !exported) {
            std::cerr << "lumeria: " << exported.error().toStdString() << '\n';
            return 1;
        }
        std::cout << "pages written to " << cl.exportPages.toStdString() << '\n';
        return 0;
    }
    if (cl.mode == RunMode::SaverPreview)
        return runSaverPreview(session, cl.windowHandle.value_or(0));
    return std::nullopt;
}

// The publication played in its window until it closes, driven by the
// automation script when one was given.
int runWindow(QApplication& app, PlayerSession& session, const CommandLine& cl, std::optional<AutomationScript> script,
              bool headless)
{
    TMainForm form(session, cl);
    std::unique_ptr<AutomationRunner> runner;
    if (script) {
        runner = std::make_unique<AutomationRunner>(form, std::move(*script), cl.automateLog);
        if (const Status opened = runner->openLog(); !opened) {
            std::cerr << "lumeria: " << opened.error().toStdString() << '\n';
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
    int status = app.exec();
    if (runner)
        status = runner->failed() ? 1 : 0;
    runner.reset();
    TQueryForm::setAnswerer({});
    return status;
}

} // namespace

int main(int argc, char** argv)
{
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
    CommandLine cl = parsed.value(); // a disc's folder becomes its publication below
    if (const std::optional<int> answered = answerFromCommandLine(cl))
        return *answered;

    const bool pagesOnly = cl.list || !cl.exportPages.isEmpty();
    const bool automated = !cl.automate.isEmpty();
    if (!chooseHeadlessPlatform(cl))
        return 1;
    const std::unique_ptr<QApplication> app = startApplication(argc, argv, cl, pagesOnly);

    std::optional<AutomationScript> script;
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
    // A disc image is the volume the publication lies on: opened before the
    // session, which reads from it, and gone after it.
    std::unique_ptr<disc::ImageVolume> image;
    QString imagePath;
    if (!cl.publication.isEmpty() && isDiscImageName(cl.publication) && QFileInfo(cl.publication).isFile()) {
        QString why;
        std::unique_ptr<disc::DiscImage> opened = disc::DiscImage::open(cl.publication, &why);
        if (opened)
            image = disc::ImageVolume::create(std::move(opened));
        if (!image) {
            if (why.isEmpty())
                why = QStringLiteral("Impossible de créer le dossier temporaire du disque.");
            std::cerr << "lumeria: " << cl.publication.toStdString() << ": " << oneLine(why).toStdString() << '\n';
            if (!headless && !pagesOnly && !automated)
                TQueryForm(TMainForm::kUntitled, why, {QStringLiteral("OK")}).ask();
            return 1;
        }
        disc::setImageVolume(image.get());
        imagePath = cl.publication;
        cl.publication = image->folder();
    }
    PlayerSession session(std::move(mediaOptions));
    session.setDriveLetters(cl.drives);
    if (!cl.publication.isEmpty() && QFileInfo(cl.publication).isDir()) {
        // A disc's folder: its publication plays, with the folder as the
        // disc its drive letters name.
        const PublicationChoice choice = choosePublicationIn(cl.publication);
        if (choice.path.isEmpty()) {
            std::cerr << "lumeria: " << (image ? imagePath : cl.publication).toStdString() << ": "
                      << oneLine(choice.error).toStdString() << '\n';
            if (!headless && !pagesOnly && !automated)
                TQueryForm(TMainForm::kUntitled, choice.error, {QStringLiteral("OK")}).ask();
            return 1;
        }
        session.setVolume(QFileInfo(cl.publication).absoluteFilePath());
        cl.publication = choice.path;
    }
    if (!session.open(cl.publication, !cl.trust)) {
        // Whoever started the player from a shell or a launcher learns what
        // was tried, whether or not a box shows it too.
        std::cerr << "lumeria: " << session.triedPath().toStdString() << ": "
                  << oneLine(session.failureReason()).toStdString() << '\n';
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

    if (const std::optional<int> done = runOneShotMode(session, cl))
        return *done;
    // The window goes first; the session then closes the container, deleting
    // the files it extracted, as it goes out of scope.
    return runWindow(*app, session, cl, std::move(script), headless);
}
