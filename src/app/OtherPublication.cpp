#include "app/OtherPublication.h"

#include "app/PlatformSetup.h"
#include "container/PublicationFinder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include <unistd.h>

namespace lumeria {

bool isDiscImageName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("iso") || suffix == QLatin1String("cue") || suffix == QLatin1String("bin") ||
           suffix == QLatin1String("img");
}

namespace {

bool playable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (!info.isFile())
        return false;
    // A disc image is looked into only once it is opened as the volume; its
    // name is what the command line goes by too.
    if (isDiscImageName(path))
        return true;
    const Result<std::unique_ptr<Container>> opened = openPublicationFile(path);
    return opened && opened.value()->find(QStringLiteral("RUNTIME.PUB"));
}

} // namespace

std::optional<DroppedPublication> droppedPublication(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return std::nullopt;
    const QString path = QDir::cleanPath(urls.front().toLocalFile());
    if (path.isEmpty() || !playable(path))
        return std::nullopt;
    return DroppedPublication{QFileInfo(path).absoluteFilePath(), int(urls.size()) - 1};
}

QString publicationArgument(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(absolute).isDir() && !absolute.endsWith(QLatin1Char('/')))
        return absolute + QLatin1Char('/');
    return absolute;
}

QStringList argumentsToPlay(const QString& programPath, const QString& publication, const CommandLine& current)
{
    QStringList args;
    // A program named as a saver takes its first argument for the saver's;
    // one too short to be a switch is the ordinary run of mode 1.
    if (QFileInfo(programPath).suffix().compare(QLatin1String("scr"), Qt::CaseInsensitive) == 0)
        args << QString();
    // Values go after '=', where nothing they hold can read as an option.
    if (current.printWithoutDialog)
        args << QStringLiteral("/B");
    if (current.window == WindowChoice::FullScreen)
        args << QStringLiteral("--fullscreen");
    else if (current.window == WindowChoice::Windowed)
        args << QStringLiteral("--windowed");
    if (current.scale.kind == ScaleChoice::Kind::Auto)
        args << QStringLiteral("--scale=auto");
    else if (current.scale.kind == ScaleChoice::Kind::Factor)
        args << QStringLiteral("--scale=") + QString::number(current.scale.factor);
    if (current.smoothText)
        args << QStringLiteral("--smooth-text");
    if (!current.printTo.isEmpty())
        args << QStringLiteral("--print-to=") + current.printTo;
    if (current.safe)
        args << QStringLiteral("--safe");
    if (current.trust)
        args << QStringLiteral("--trust");
    for (int i = 0; i < int(current.drives.size()); ++i) {
        if (!current.drives[size_t(i)].isEmpty())
            args << QStringLiteral("--drive=") + QChar(u'A' + i) + QLatin1Char('=') + current.drives[size_t(i)];
    }
    if (!current.codepage.isEmpty())
        args << QStringLiteral("--codepage=") + current.codepage;
    if (current.mute)
        args << QStringLiteral("--mute");
    if (!current.audioDevice.isEmpty())
        args << QStringLiteral("--audio-device=") + current.audioDevice;
    if (!current.soundFont.isEmpty())
        args << QStringLiteral("--soundfont=") + current.soundFont;
    if (!current.screenshotFolder.isEmpty())
        args << QStringLiteral("--screenshot-dir=") + current.screenshotFolder;
    if (current.scriptTimeout != CommandLine{}.scriptTimeout)
        args << QStringLiteral("--script-timeout=") + QString::number(current.scriptTimeout);
    // Last: a switch right after a publication whose name ends in ".SCR"
    // would be read as its saver argument.
    args << publicationArgument(publication);
    return args;
}

void playInstead(const char* programName, const QStringList& arguments)
{
    std::vector<QByteArray> bytes{QByteArray(programName)};
    for (const QString& argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    std::cerr << "lumeria: cannot start again on " << arguments.value(0).toStdString() << ": " << std::strerror(errno)
              << '\n';
}

void reportPassedOver(const DroppedPublication& dropped)
{
    if (dropped.passedOver > 0)
        std::cerr << "lumeria: " << dropped.passedOver + 1 << " files dropped; only the first plays, "
                  << dropped.path.toStdString() << '\n';
}

} // namespace lumeria
