#include "script/FileCommands.h"

#include "platform/Codepage.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "platform/Launcher.h"
#include "platform/WindowsPath.h"
#include "script/Conversions.h"
#include "script/ScriptEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lumeria {

namespace {

constexpr int kLockAttempts = 26;
constexpr auto kLockRetryDelay = std::chrono::milliseconds(250);
constexpr qint64 kBusyCursorSize = 5120;

// Restores the cursor however the operation ends.
class BusyCursor {
public:
    explicit BusyCursor(ScriptHost& host) : m_host(host) {}
    ~BusyCursor()
    {
        if (m_shown)
            m_host.setBusyCursor(false);
    }
    void show()
    {
        if (!m_shown)
            m_host.setBusyCursor(true);
        m_shown = true;
    }

private:
    ScriptHost& m_host;
    bool m_shown = false;
};

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void release() { m_fd = -1; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

int writeAll(int fd, const char* p, qsizetype left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioCodeFromErrno(errno, IoOp::Write);
        }
        p += n;
        left -= n;
    }
    return 0;
}

int writeAll(int fd, const QByteArray& bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size());
}

// Reads a descriptor to its end a block at a time, handing each block to
// take; a read error or a code from take ends it.
template <class Take>
int readBlocks(int fd, Take&& take)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioCodeFromErrno(errno, IoOp::Read);
        }
        if (n == 0)
            return 0;
        if (const int code = take(buf, n))
            return code;
    }
}

// Streams one descriptor into another, so a copy needs no memory in
// proportion to the file.
int copyAll(int from, int to)
{
    return readBlocks(from, [to](const char* data, ssize_t n) { return writeAll(to, data, n); });
}

int readAll(int fd, QByteArray& out)
{
    return readBlocks(fd, [&out](const char* data, ssize_t n) {
        out.append(data, n);
        return 0;
    });
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// Every command that writes a whole file goes through here: fill writes the
// new content into a temporary file in the target's folder, which replaces
// the target only once complete and on disk, so a failure part-way (a full
// disk, a size limit, a crash) leaves the old target whole and no temporary
// behind. The new file takes the given permissions.
template <typename Fill>
int replaceFile(const QString& path, mode_t mode, Fill fill)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray pattern = QFile::encodeName(QFileInfo(path).absolutePath() + QStringLiteral("/.lumeria-XXXXXX"));
    Fd tmp(::mkstemp(pattern.data()));
    if (tmp.get() < 0)
        return ioCodeFromErrno(errno, IoOp::Write);
    int code = fill(tmp.get());
    if (code == 0 && ::fchmod(tmp.get(), mode & 07777) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (code == 0 && ::fsync(tmp.get()) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (::close(tmp.get()) != 0 && code == 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    tmp.release();
    if (code == 0 && ::rename(pattern.constData(), native.constData()) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (code != 0)
        ::unlink(pattern.constData());
    return code;
}

QByteArray joinLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += activeCodepage().encode(line);
        out += "\r\n";
    }
    return out;
}

// The DOS interpreter's own commands and what does their work here.
QString shellEquivalent(const QString& upper)
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("DIR"), QStringLiteral("ls -l")},     {QStringLiteral("COPY"), QStringLiteral("cp")},
        {QStringLiteral("DEL"), QStringLiteral("rm")},        {QStringLiteral("ERASE"), QStringLiteral("rm")},
        {QStringLiteral("TYPE"), QStringLiteral("cat")},      {QStringLiteral("VER"), QStringLiteral("uname -sr")},
        {QStringLiteral("TREE"), QStringLiteral("find")},     {QStringLiteral("CHCP"), QStringLiteral("locale")},
        {QStringLiteral("CHDIR"), QStringLiteral("cd")},      {QStringLiteral("CD"), QStringLiteral("cd")},
        {QStringLiteral("DATE"), QStringLiteral("date +%x")}, {QStringLiteral("TIME"), QStringLiteral("date +%X")},
        {QStringLiteral("MKDIR"), QStringLiteral("mkdir")},   {QStringLiteral("MD"), QStringLiteral("mkdir")},
        {QStringLiteral("RENAME"), QStringLiteral("mv")},     {QStringLiteral("REN"), QStringLiteral("mv")},
        {QStringLiteral("RMDIR"), QStringLiteral("rmdir")},   {QStringLiteral("RD"), QStringLiteral("rmdir")},
        {QStringLiteral("VOL"), QStringLiteral("df -h .")},
    };
    return map.value(upper);
}

// Windows paths among a command's parameters: backslashes become slashes and
// a drive letter stands for the root.
QString unixParameters(const QString& parameters)
{
    QStringList words = parameters.split(QLatin1Char(' '));
    for (QString& w : words) {
        w.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (w.size() >= 2 && w[1] == QLatin1Char(':') && w[0].isLetter())
            w = w.mid(2).isEmpty() ? QStringLiteral("/") : w.mid(2);
    }
    return words.join(QLatin1Char(' '));
}

QString launchMessage(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Vous n'avez pas assez de mémoire ou le programme est endommagé ou invalide.");
    case 2: return QStringLiteral("Le fichier n'existe pas.");
    case 3: return QStringLiteral("Le chemin n'existe pas.");
    case 5:
        return QStringLiteral("Le programme a tenté de se lier dynamiquement à une tâche, ou une erreur de partage ou "
                              "de protection du réseau s'est produite.");
    case 6:
    case 8: return QStringLiteral("Il n'y a pas assez de mémoire pour lancer cette application.");
    case 10: return QStringLiteral("Cette application requiert une autre version de Windows.");
    case 11:
        return QStringLiteral("Le fichier exécutable de l'application est invalide. Soit ce n'est pas une application "
                              "Windows, soit le fichier est endommagé.");
    case 12:
    case 13:
    case 14:
    case 15: return QStringLiteral("Cette application a été conçue pour un autre système d'exploitation.");
    case 16:
        return QStringLiteral("Cette application est déjà en cours d'exécution et ne peut pas être chargée deux fois.");
    case 19:
        return QStringLiteral(
            "Cette application est compressée. Le fichier doit être décompressé avant de pouvoir être chargé.");
    case 20:
        return QStringLiteral("Une bibliothèque à liens dynamiques (DLL) requise par cette application est invalide.");
    case 21: return QStringLiteral("Cette application requiert les extensions 32 bits de Windows.");
    case 31: return QStringLiteral("Aucune application n'est associée avec ce fichier !");
    default: return QStringLiteral("Impossible de charger cette application.");
    }
}

// The path as the system will follow it: symbolic links in the part that
// exists resolved, the rest kept as written, so a link inside an allowed
// folder cannot lead a write outside it. Empty for a link that leads
// nowhere, since creating through it would write wherever it points.
QString physicalPath(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    for (;;) {
        const QFileInfo info(existing);
        if (info.exists())
            return QDir::cleanPath(info.canonicalFilePath() + rest);
        if (info.isSymLink())
            return {};
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return existing.isEmpty() ? rest : existing + rest;
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
}

const QString kSafeRefusal = QStringLiteral("Mode protégé : cette action est refusée !");

} // namespace

DosCommandPlan planDosCommand(const QString& program, const QString& parameters, const QString& programFolder)
{
    QString p = program;
    QString a = parameters;
    p.replace(QLatin1Char('\''), QLatin1Char('"'));
    a.replace(QLatin1Char('\''), QLatin1Char('"'));

    DosCommandPlan plan;
    plan.workingFolder = programFolder;
    static const QString kInternal =
        QStringLiteral("DIR.COPY.DEL.TYPE.VER.ERASE.TREE.CHCP.CHDIR.CD.DATE.MKDIR.MD.RENAME.REN.RMDIR.RD.TIME.VOL.");
    const QString upper = p.toUpper();
    if (kInternal.contains(upper + QLatin1Char('.'))) {
        const QString equivalent = shellEquivalent(trimmed(upper));
        plan.kind = DosCommandPlan::Kind::Shell;
        plan.program = (equivalent.isEmpty() ? p : equivalent) + QLatin1Char(' ') + unixParameters(a);
        plan.program = plan.program.trimmed();
        return plan;
    }

    QString bare = trimmed(p);
    bare.remove(QLatin1Char('"'));
    const QString fileName = windowsFileName(bare);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? fileName.mid(dot).toUpper() : QString();
    const bool hasFolder = fileName.size() != bare.size();
    const QString path = resolveWindowsPath(bare, programFolder);

    if (!QStringLiteral(".EXE.COM.BAT.LNK.").contains(extension + QLatin1Char('.'))) {
        plan.kind = DosCommandPlan::Kind::Document;
        plan.program = path;
        return plan;
    }
    plan.kind = DosCommandPlan::Kind::Program;
    // A bare name not beside the publication is left for the PATH search.
    plan.program = hasFolder || QFileInfo::exists(path) ? path : bare;
    plan.workingFolder = hasFolder ? QFileInfo(path).absolutePath() : programFolder;
    plan.arguments = QProcess::splitCommand(a);
    return plan;
}

QString FileCommands::resolve(const QString& name) const
{
    return resolveWindowsPath(name, m_engine.host().systemValues().programFolder);
}

std::optional<QStringList> FileCommands::readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return splitLines(activeCodepage().decode(file.readAll()));
}

void FileCommands::showMessage(const QString& message)
{
    m_engine.host().messageDialog(m_engine.host().systemValues().windowCaption, message, {QStringLiteral("OK")});
}

void FileCommands::showIoError(int code)
{
    showMessage(ioErrorText(code));
}

bool FileCommands::allowedToWrite(const QString& path)
{
    if (!m_engine.safeMode())
        return true;
    const SystemValues v = m_engine.host().systemValues();
    const QString target = physicalPath(path);
    const QString dataHome = windowsFolder() == kFolderError ? QString() : QFileInfo(windowsFolder()).absolutePath();
    for (const QString& root : {v.programFolder, v.temporaryFolder, dataHome, userCacheFolder()}) {
        if (target.isEmpty() || root.isEmpty() || root == kFolderError)
            continue;
        const QString folder = physicalPath(root);
        if (!folder.isEmpty() && target.startsWith(folder + QLatin1Char('/')))
            return true;
    }
    showMessage(kSafeRefusal);
    return false;
}

bool FileCommands::allowedToLaunch()
{
    if (!m_engine.safeMode())
        return true;
    showMessage(kSafeRefusal);
    return false;
}

int FileCommands::editLine(const QString& path, int n, const QString& text, LineEdit mode)
{
    BusyCursor cursor(m_engine.host());
    const QByteArray native = QFile::encodeName(path);
    Fd fd;
    for (int attempt = 1;; ++attempt) {
        const int opened = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        const int openError = errno;
        fd.reset(opened);
        // Only another writer's lock is worth waiting for: a name that
        // cannot be opened (no such folder, a folder, no right) will not
        // open later either, and the reader would wait seconds for nothing.
        if (opened < 0)
            return ioCodeFromErrno(openError, IoOp::Write);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            // Another writer may have replaced the file while we waited for
            // the lock; the lock must be on the file the path names now.
            struct stat held {
            }, current{};
            if (::fstat(fd.get(), &held) == 0 && ::stat(native.constData(), &current) == 0 &&
                held.st_ino == current.st_ino && held.st_dev == current.st_dev)
                break;
            --attempt;
            continue;
        }
        fd.reset();
        if (attempt == kLockAttempts)
            return io::kAccessDenied;
        cursor.show();
        std::this_thread::sleep_for(kLockRetryDelay);
    }

    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return ioCodeFromErrno(errno, IoOp::Read);
    if (info.st_size > kBusyCursorSize)
        cursor.show();

    if (n >= 1 && info.st_size > 0) {
        QByteArray bytes;
        if (const int code = readAll(fd.get(), bytes))
            return code;
        QStringList lines = splitLines(activeCodepage().decode(bytes));
        if (mode == LineEdit::Delete) {
            if (lines.size() < n)
                return 0;
            lines.removeAt(n - 1);
        } else {
            while (lines.size() < n)
                lines.append(QString());
            if (mode == LineEdit::Insert)
                lines.insert(n - 1, text);
            else
                lines[n - 1] = text;
        }
        const QByteArray content = joinLines(lines);
        return replaceFile(path, info.st_mode, [&](int out) { return writeAll(out, content); });
    }
    const off_t end = ::lseek(fd.get(), 0, SEEK_END);
    if (end < 0)
        return ioCodeFromErrno(errno, IoOp::Write);
    // An append cut short is taken back, so the file never ends in half a
    // line.
    const int code = writeAll(fd.get(), activeCodepage().encode(text) + "\r\n");
    if (code != 0) {
        [[maybe_unused]] const int truncated = ::ftruncate(fd.get(), end);
    }
    return code;
}

void FileCommands::copyFile(const QString& source, const QString& destination)
{
    // Windows-style splitting first: a destination without folder goes
    // beside the source, one without name keeps the source's name.
    const QString sourceName = windowsFileName(source);
    QString sourceFolder = source.left(source.size() - sourceName.size());
    const QString destinationName = windowsFileName(destination);
    QString destinationFolder = destination.left(destination.size() - destinationName.size());
    const QString programFolder = m_engine.host().systemValues().programFolder;
    const QString from = sourceFolder.isEmpty() ? resolveWindowsPath(sourceName, programFolder)
                                                : resolveWindowsPath(source, programFolder);
    const QString fromFolder = QFileInfo(from).absolutePath();
    const QString toFolder =
        destinationFolder.isEmpty() ? fromFolder : resolveWindowsPath(destinationFolder, programFolder);
    const QString to =
        resolveWindowsPath(destinationName.isEmpty() ? QFileInfo(from).fileName() : destinationName, toFolder);

    const QFileInfo fromInfo(from);
    if (!fromInfo.exists()) {
        showMessage(QStringLiteral("Impossible de trouver le fichier devant être copié."));
        return;
    }
    if (QFileInfo(to).absoluteFilePath() == fromInfo.absoluteFilePath()) {
        showMessage(fromInfo.isDir() ? QStringLiteral("Un répertoire ne peut pas être copié sur lui-même.")
                                     : QStringLiteral("Un fichier ne peut pas être copié sur lui-même."));
        return;
    }
    if (!allowedToWrite(to))
        return;
    if (fromInfo.isDir()) {
        showMessage(QStringLiteral("Impossible de copier le fichier."));
        return;
    }

    BusyCursor cursor(m_engine.host());
    cursor.show();
    Fd in(::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        showIoError(ioCodeFromErrno(errno, IoOp::Read));
        return;
    }
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) {
        showIoError(ioCodeFromErrno(errno, IoOp::Read));
        return;
    }
    if (const int code = replaceFile(to, info.st_mode, [&](int out) { return copyAll(in.get(), out); }))
        showIoError(code);
}

void FileCommands::dosCommand(const QString& program, const QString& parameters)
{
    if (!allowedToLaunch())
        return;
    const DosCommandPlan plan = planDosCommand(program, parameters, m_engine.host().systemValues().programFolder);
    BusyCursor cursor(m_engine.host());
    cursor.show();
    int code = launch::kStarted;
    switch (plan.kind) {
    case DosCommandPlan::Kind::Shell: code = startShellCommand(plan.program, plan.workingFolder); break;
    case DosCommandPlan::Kind::Document:
        code = QFileInfo::exists(plan.program) ? openWithDesktop(plan.program) : launch::kFileNotFound;
        break;
    case DosCommandPlan::Kind::Program: code = startProgram(plan.program, plan.arguments, plan.workingFolder); break;
    }
    if (code != launch::kStarted) {
        QString name = program;
        name.replace(QLatin1Char('\''), QString()).remove(QLatin1Char('"'));
        showMessage(windowsFileName(trimmed(name)) + QStringLiteral("\r\r") + launchMessage(code));
    }
}

void FileCommands::internetLink(const QString& address)
{
    if (!allowedToLaunch())
        return;
    if (openWithDesktop(address) != launch::kStarted) {
        const Publication& pub = m_engine.publication();
        m_engine.host().messageDialog(pub.strings[LanguageElement::L_ERRORTITLE],
                                      pub.strings[LanguageElement::L_INTERNETERROR],
                                      {pub.strings[LanguageElement::L_OK]});
    }
}

void FileCommands::execute(Command command, const ScriptArguments& args)
{
    const auto& v = args.values;
    Variables& vars = m_engine.variables();
    switch (command) {
    case Command::FileRead: {
        const int n = v[1].trimmed().toUpper() == QLatin1String("APPEND") ? 0 : scriptInteger(v[1]);
        QString line;
        if (n >= 1) {
            const auto lines = readLines(resolve(v[0]));
            if (lines && n <= lines->size())
                line = lines->at(n - 1);
        }
        vars.set(v[2], line);
        break;
    }
    case Command::FileLen: {
        const auto lines = readLines(resolve(v[0]));
        vars.set(v[1], QString::number(lines ? lines->size() : 0));
        break;
    }
    case Command::FileWrite:
    case Command::FileInsLine:
    case Command::FileDelLine: {
        const QString path = resolve(v[0]);
        if (!allowedToWrite(path))
            break;
        const LineEdit mode = command == Command::FileWrite     ? LineEdit::Write
                              : command == Command::FileInsLine ? LineEdit::Insert
                                                                : LineEdit::Delete;
        const int n = v[1].trimmed().toUpper() == QLatin1String("APPEND") ? 0 : scriptInteger(v[1]);
        if (const int code = editLine(path, n, command == Command::FileWrite ? v[2] : QString(), mode))
            showIoError(code);
        break;
    }
    case Command::FileErase: {
        const QString path = resolve(v[0]);
        if (!QFileInfo::exists(path) || !allowedToWrite(path))
            break;
        if (::unlink(QFile::encodeName(path).constData()) != 0)
            showIoError(ioCodeFromErrno(errno, IoOp::Write));
        break;
    }
    case Command::FileCopy: copyFile(v[0], v[1]); break;
    case Command::DOSCommand: dosCommand(v[0], v[1]); break;
    case Command::InternetLink: internetLink(v[0]); break;
    default: break;
    }
}

} // namespace lumeria
