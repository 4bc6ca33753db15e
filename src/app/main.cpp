// lumeria: plays a publication in its window, or exports or lists its pages.
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/OtherPublication.h"
#include "app/PlatformSetup.h"
#include "app/PlayerSession.h"
#include "app/PublicationChoice.h"
#include "app/SaverPreview.h"
#include "app/StartWindow.h"
#include "automation/AutomationLog.h"
#include "automation/AutomationRunner.h"
#include "platform/Codepage.h"
#include "platform/disc/ImageVolume.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <csignal>
#include <iostream>
#include <memory>
#include <optional>

namespace {

using namespace lumeria;

constexpr const char* kVersion = "lumeria 0.1.0";

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

// How a run of the window ended: its exit status, and the publication
// dropped on it to play next.
struct WindowEnd {
    int status = 0;
    QString playNext;
};

// The publication played in its window until it closes, driven by the
// automation script when one was given.
WindowEnd runWindow(QApplication& app, PlayerSession& session, const CommandLine& cl,
                    std::optional<AutomationScript> script, bool headless)
{
    TMainForm form(session, cl);
    std::unique_ptr<AutomationRunner> runner;
    if (script) {
        runner = std::make_unique<AutomationRunner>(form, std::move(*script), cl.automateLog);
        // The boxes met before the window are in the log already.
        if (const Status opened = runner->openLog(AutomationRunner::LogStart::Continue); !opened) {
            std::cerr << "lumeria: " << opened.error().toStdString() << '\n';
            return {2, {}};
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
    return {status, form.publicationToPlayNext()};
}

// Whoever answers the boxes asked before the window exists, where no reader
// sees them (offscreen, pages only, automation): each box's text goes to
// standard error and to the automation log. A box takes the automation
// file's next line when that is an answer, the start window and a disc's
// choice of publication among them; any other box counts as closed.
class StartUpAnswers {
public:
    StartUpAnswers(const CommandLine& cl, std::optional<AutomationScript>& script) : m_script(script)
    {
        if (script && !cl.automateLog.isEmpty()) {
            m_log.setFileName(cl.automateLog);
            m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        }
        TQueryForm::setAnswerer([this](const QString& title, const QString& message, const QStringList& buttons) {
            const int answer = takeAnswer();
            std::cerr << "lumeria: " << oneLine(message).toStdString() << '\n';
            if (m_log.isOpen()) {
                m_log.write((AutomationLog::dialog(title, message, buttons, answer) + QLatin1Char('\n')).toUtf8());
                m_log.flush();
            }
            return std::optional<int>(answer);
        });
    }
    StartUpAnswers(const StartUpAnswers&) = delete;
    StartUpAnswers& operator=(const StartUpAnswers&) = delete;
    // The window's own answerer, or none, takes over; the log is the
    // runner's from now on.
    ~StartUpAnswers()
    {
        m_log.close();
        TQueryForm::setAnswerer({});
    }

private:
    int takeAnswer()
    {
        if (!m_script || m_script->empty() || m_script->front().verb != AutomationVerb::Answer)
            return 0;
        const int answer = m_script->front().number;
        m_script->erase(m_script->begin());
        return answer;
    }

    std::optional<AutomationScript>& m_script;
    QFile m_log;
};

// What a run with nothing named does: a reader is asked what to play.
// Where no reader sees the window (offscreen, pages only) the tour plays,
// as it does for an automation file unless that opens with an answer for
// the start window. A player with its own publication plays that.
bool asksWhatToPlay(const CommandLine& cl, bool headless, const std::optional<AutomationScript>& script)
{
    if (!cl.publication.isEmpty() || cl.list || !cl.exportPages.isEmpty())
        return false;
    // A program named as a saver takes its first argument for the saver's,
    // which a publication picked would become.
    if (cl.mode != RunMode::Normal)
        return false;
    if (PlayerSession::carriesOwnPublication())
        return false;
    if (script)
        return !script->empty() && script->front().verb == AutomationVerb::Answer;
    return !headless;
}

// How playing what the command line named ended: its exit status, whether
// the publication opened at all, and the one dropped on its window.
struct PlayEnd {
    int status = 0;
    bool opened = false;
    QString playNext;
};

// Plays what the command line names, as it names it: a publication file,
// a disc's folder or a disc image, else the player's own publication or
// the tour; or lists or exports its pages.
PlayEnd playNamed(QApplication& app, CommandLine cl, std::optional<AutomationScript>& script, bool headless,
                  std::unique_ptr<StartUpAnswers>& startUp)
{
    const bool pagesOnly = cl.list || !cl.exportPages.isEmpty();
    const bool automated = script.has_value();
    const bool reader = !headless && !pagesOnly && !automated;
    media::MediaOptions mediaOptions;
    mediaOptions.output.mute = cl.mute;
    mediaOptions.output.deviceName = cl.audioDevice;
    mediaOptions.soundFont = cl.soundFont;
    // A disc image is the volume the publication lies on: opened before the
    // session, which reads from it, and gone after it.
    std::unique_ptr<disc::ImageVolume> image;
    const auto forgetImage = qScopeGuard([] { disc::setImageVolume(nullptr); });
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
            if (reader)
                TQueryForm(TMainForm::kUntitled, why, {QStringLiteral("OK")}).ask();
            return {1, false, {}};
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
            if (reader)
                TQueryForm(TMainForm::kUntitled, choice.error, {QStringLiteral("OK")}).ask();
            return {1, false, {}};
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
        return {1, false, {}};
    }
    startUp.reset();

    if (const std::optional<int> done = runOneShotMode(session, cl))
        return {*done, true, {}};
    // The window goes first; the session then closes the container, deleting
    // the files it extracted, as it goes out of scope.
    const WindowEnd end = runWindow(app, session, cl, std::move(script), headless);
    return {end.status, true, end.playNext};
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
    const QString program = QString::fromLocal8Bit(argv[0]);
    const auto parse = [&](const QStringList& arguments) {
        return parseCommandLine(
            // A folder is a publication too (a disc's mount point), so
            // `lumeria /cdrom` is the disc, not the switch /C.
            program, arguments,
            [](const QString& path) {
                const QFileInfo info(path);
                return info.isFile() || info.isDir();
            },
            PlayerSession::carriesOwnPublication());
    };
    const auto parsed = parse(args);
    if (!parsed) {
        std::cerr << "lumeria: " << parsed.error().toStdString() << '\n';
        return 2;
    }
    CommandLine cl = parsed.value();
    if (const std::optional<int> answered = answerFromCommandLine(cl))
        return *answered;

    const bool pagesOnly = cl.list || !cl.exportPages.isEmpty();
    const bool automated = !cl.automate.isEmpty();
    if (!chooseHeadlessPlatform(cl))
        return 1;
    std::unique_ptr<QApplication> app = startApplication(argc, argv, cl);

    std::optional<AutomationScript> script;
    if (automated) {
        auto read = readAutomationScript(cl.automate);
        if (!read) {
            std::cerr << "lumeria: " << cl.automate.toStdString() << ": " << read.error().toStdString() << '\n';
            return 2;
        }
        script = std::move(read).value();
    }

    // Nobody can answer a box where no reader sees it.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    std::unique_ptr<StartUpAnswers> startUp;
    if (headless || pagesOnly || automated)
        startUp = std::make_unique<StartUpAnswers>(cl, script);

    PlayEnd end;
    if (!asksWhatToPlay(cl, headless, script)) {
        end = playNamed(*app, cl, script, headless, startUp);
    } else {
        // What the reader picks plays as if the command line had named it;
        // one that does not open has said why in its boxes, and the reader
        // picks again.
        for (;;) {
            const std::optional<QString> chosen = StartWindow(findBundledTour()).ask();
            if (!chosen)
                return 0;
            // Last, so that a switch after it is not a saver argument.
            const QStringList named = args + QStringList{publicationArgument(*chosen)};
            const auto reparsed = parse(named);
            if (!reparsed) {
                std::cerr << "lumeria: " << reparsed.error().toStdString() << '\n';
                return 2;
            }
            cl = reparsed.value();
            end = playNamed(*app, cl, script, headless, startUp);
            if (end.opened)
                break;
        }
    }
    if (end.playNext.isEmpty())
        return end.status;
    // Everything of this run is gone, its extracted files with it: the
    // dropped publication plays in a player of its own.
    app.reset();
    playInstead(argv[0], argumentsToPlay(program, end.playNext, cl));
    return 1;
}
