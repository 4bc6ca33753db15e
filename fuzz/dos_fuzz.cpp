// Feeds arbitrary command lines to the interpreter's own commands, over a
// small folder made anew for every input: a publication's folder with files,
// a folder, a read-only file and a link out to a folder beside it. Writes
// are allowed only inside the publication's folder, as the player allows
// them; whatever the line says, the folder beside it must stay as it was
// and nothing may appear next to the two. Names and patterns from the same
// bytes go through the wildcard matching.
#include "FuzzSupport.h"
#include "platform/Codepage.h"
#include "platform/CommandInterpreter.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        __builtin_trap();
}

struct Folders {
    QTemporaryDir root{lumeria::fuzz::scratchTemplate("dos")};
    QString pub = root.filePath(QStringLiteral("pub"));
    QString beside = root.filePath(QStringLiteral("beside"));

    Folders()
    {
        if (!root.isValid() || !QDir().mkpath(beside))
            __builtin_trap();
        put(beside + QStringLiteral("/CANARY.TXT"), "canary");
    }

    void makePublicationFolder() const
    {
        // Depth first and never through a link: the link's target is the
        // canary's folder.
        ::nftw(QFile::encodeName(pub).constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
        if (!QDir().mkpath(pub + QStringLiteral("/SUB/DEEP")))
            __builtin_trap();
        put(pub + QStringLiteral("/A.TXT"), "a\r\n\x1A"
                                            "rest");
        put(pub + QStringLiteral("/b.dat"), "b");
        put(pub + QStringLiteral("/SUB/C.TXT"), "c");
        put(pub + QStringLiteral("/RO.TXT"), "read-only");
        ::chmod(QFile::encodeName(pub + QStringLiteral("/RO.TXT")).constData(), 0444);
        QFile::link(beside, pub + QStringLiteral("/OUT"));
    }

    void checkBeside() const
    {
        if (QDir(beside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) !=
            QStringList{QStringLiteral("CANARY.TXT")})
            __builtin_trap();
        QFile canary(beside + QStringLiteral("/CANARY.TXT"));
        if (!canary.open(QIODevice::ReadOnly) || canary.readAll() != "canary")
            __builtin_trap();
        if (QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) !=
            QStringList{QStringLiteral("beside"), QStringLiteral("pub")})
            __builtin_trap();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria;
    static const Folders folders;
    folders.makePublicationFolder();

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString line = Codepage::windows1252().decode(bytes);

    dos::Context context;
    context.currentFolder = folders.pub;
    context.resolve = [](const QString& name, const QString& base) { return resolveWindowsPath(name, base); };
    context.mayWrite = [](const QString& path) {
        return liesWithin(path, folders.pub) && !liesWithin(path, folders.beside);
    };
    context.displayName = [](const QString& path) { return QStringLiteral("C:") + path; };
    context.codepage = &Codepage::windows1252();
    context.now = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
    (void)dos::run(line, context);
    folders.checkBeside();

    // The same bytes as a pattern and a name: a name without wildcards
    // matches itself, and a template of stars keeps a name with a point.
    const qsizetype cut = line.indexOf(QLatin1Char(' '));
    const QString pattern = cut < 0 ? line : line.left(cut);
    const QString name = cut < 0 ? line : line.mid(cut + 1);
    (void)dos::matchesWildcard(pattern, name);
    (void)dos::applyTemplate(pattern, name);
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')) && !name.endsWith(QLatin1Char('.')) &&
        !dos::matchesWildcard(name, name))
        __builtin_trap();
    return 0;
}
