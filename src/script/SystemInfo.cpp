// String commands, Random and SystemInfo: the commands that only compute.
#include "platform/Folders.h"
#include "script/Conversions.h"
#include "script/ScriptEngine.h"

#include <QDir>

#include <array>
#include <pwd.h>
#include <unistd.h>

namespace lumeria {

namespace {

enum class Info {
    PubAuthor,
    PubColors,
    PubDir,
    PubHeight,
    PubTitle,
    PubWidth,
    ScreenColors,
    ScreenHeight,
    ScreenWidth,
    SystemDir,
    TempDir,
    UserName,
    WindowsDir,
};

constexpr std::array<std::pair<const char*, Info>, 13> kInfoNames = {{
    {"PUBAUTHOR", Info::PubAuthor},
    {"PUBCOLORS", Info::PubColors},
    {"PUBDIR", Info::PubDir},
    {"PUBHEIGHT", Info::PubHeight},
    {"PUBTITLE", Info::PubTitle},
    {"PUBWIDTH", Info::PubWidth},
    {"SCREENCOLORS", Info::ScreenColors},
    {"SCREENHEIGHT", Info::ScreenHeight},
    {"SCREENWIDTH", Info::ScreenWidth},
    {"SYSTEMDIR", Info::SystemDir},
    {"TEMPDIR", Info::TempDir},
    {"USERNAME", Info::UserName},
    {"WINDOWSDIR", Info::WindowsDir},
}};

QString userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("Inconnu") : fromEnvironment;
}

// Folders are given with a trailing separator, as scripts append file names.
QString asFolder(const QString& path)
{
    if (path.isEmpty() || path == kFolderError)
        return path.isEmpty() ? QString() : path;
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

QString ScriptEngine::systemInfo(const QString& name) const
{
    // The last name of the table that occurs anywhere in the argument wins.
    const QString upper = name.toUpper();
    std::optional<Info> found;
    for (const auto& [text, info] : kInfoNames) {
        if (upper.contains(QLatin1String(text)))
            found = info;
    }
    if (!found)
        return QStringLiteral("Error");

    const SystemValues v = m_host.systemValues();
    const PublicationSettings& s = m_pub.settings;
    switch (*found) {
    case Info::PubAuthor: return s.Author;
    case Info::PubColors: return QString::number(s.ScreenColors);
    case Info::PubDir: return asFolder(v.programFolder);
    case Info::PubHeight: return QString::number(v.pageHeight);
    case Info::PubTitle: return v.windowCaption;
    case Info::PubWidth: return QString::number(v.pageWidth);
    case Info::ScreenColors: return QString::number(v.screenColours);
    case Info::ScreenHeight: return QString::number(v.screenHeight);
    case Info::ScreenWidth: return QString::number(v.screenWidth);
    case Info::SystemDir: return asFolder(systemFolder());
    case Info::TempDir: return asFolder(v.temporaryFolder.isEmpty() ? v.programFolder : v.temporaryFolder);
    case Info::UserName: return userName();
    case Info::WindowsDir: return asFolder(windowsFolder());
    }
    return QStringLiteral("Error");
}

void ScriptEngine::executeString(Command c, const ScriptArguments& a)
{
    const auto& v = a.values;
    switch (c) {
    case Command::StrLen: m_variables.set(v[1], QString::number(v[0].size())); break;
    case Command::SubStr: {
        const int start = std::max(1, scriptInteger(v[1]));
        const int count = scriptInteger(v[2]);
        const QString part = count <= 0 || start > v[0].size() ? QString() : v[0].mid(start - 1, count);
        m_variables.set(v[3], part);
        break;
    }
    case Command::StrDel: {
        const int start = scriptInteger(v[1]);
        const int count = scriptInteger(v[2]);
        QString text = v[0];
        if (start >= 1 && start <= text.size() && count > 0)
            text.remove(start - 1, count);
        m_variables.set(v[3], text);
        break;
    }
    case Command::StrIns: {
        QString target = v[1];
        const qsizetype position = std::clamp<qsizetype>(scriptInteger(v[2]), 1, target.size() + 1);
        target.insert(position - 1, v[0]);
        m_variables.set(v[3], target);
        break;
    }
    case Command::SearchStr: {
        const qsizetype at = v[0].isEmpty() ? -1 : upperCased(v[1]).indexOf(upperCased(v[0]));
        m_variables.set(v[2], QString::number(at + 1));
        break;
    }
    case Command::Random: {
        // Seeded once per run: re-seeding from the clock on every call gave
        // the same number twice within one clock tick.
        const int limit = scriptInteger(v[0]);
        const int value = limit <= 0 ? 0 : std::uniform_int_distribution<int>(0, limit - 1)(m_random);
        m_variables.set(v[1], QString::number(value));
        break;
    }
    case Command::SystemInfo: m_variables.set(v[1], systemInfo(v[0])); break;
    default: break;
    }
}

} // namespace lumeria
