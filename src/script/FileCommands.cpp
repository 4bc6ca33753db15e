#include "script/FileCommands.h"

#include "platform/Codepage.h"
#include "platform/CommandInterpreter.h"
#include "platform/FileIo.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "platform/Launcher.h"
#include "platform/WindowsPath.h"
#include "platform/disc/ImageVolume.h"
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

QByteArray joinLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += activeCodepage().encode(line);
        out += "\r\n";
    }
    return out;
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

const QString kSafeRefusal = QStringLiteral("Mode protégé : cette action est refusée !");

// A text file's lines as they stream past, split where the file's lines end
// (CR LF, LF or CR), without holding more than the line asked for.
class LineScanner {
public:
    explicit LineScanner(qsizetype wanted) : m_wanted(wanted) {}

    void feed(const char* data, qsizetype n)
    {
        for (qsizetype i = 0; i < n; ++i) {
            const char c = data[i];
            if (m_afterCr && c == '\n') {
                m_afterCr = false;
                continue;
            }
            m_afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                endLine();
                continue;
            }
            m_open = true;
            if (m_count == m_wanted) {
                // One line may be as long as the file: the bound on a value
                // holds for it too.
                if (m_line.size() >= limits::kFileInMemory)
                    throw LimitExceeded();
                m_line += c;
            }
        }
    }
    void finish()
    {
        if (m_open)
            endLine();
    }
    qsizetype count() const { return m_count; }
    bool found() const { return m_found; }
    const QByteArray& line() const { return m_line; }

private:
    void endLine()
    {
        if (m_count == m_wanted)
            m_found = true;
        ++m_count;
        m_open = false;
    }

    qsizetype m_wanted;
    qsizetype m_count = 0;
    bool m_afterCr = false;
    bool m_open = false;
    bool m_found = false;
    QByteArray m_line;
};

// Scans a plain file; false when it cannot be opened or read.
bool scanLines(const QString& path, LineScanner& scanner)
{
    Result<Fd> fd = openRegularFile(path, O_RDONLY);
    if (!fd)
        return false;
    const int code = readBlocks(fd->get(), [&scanner](const char* data, qsizetype n) {
        scanner.feed(data, n);
        return 0;
    });
    scanner.finish();
    return code == 0;
}

// How a folder looked to the interpreter's listings: a drive and backslashes.
QString dosDisplayName(const QString& path)
{
    QString shown = QDir::cleanPath(path);
    shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("C:") + shown;
}

} // namespace

DosCommandPlan planDosCommand(const QString& program, const QString& parameters, const QString& programFolder)
{
    QString p = program;
    QString a = parameters;
    p.replace(QLatin1Char('\''), QLatin1Char('"'));
    a.replace(QLatin1Char('\''), QLatin1Char('"'));

    DosCommandPlan plan;
    plan.workingFolder = programFolder;
    if (dos::isInternalCommand(p)) {
        // The interpreter read its command line whole: its own command may
        // even stand in the parameters when the program is empty.
        plan.kind = DosCommandPlan::Kind::Internal;
        plan.program = p + QLatin1Char(' ') + a;
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

std::optional<QString> FileCommands::readLine(const QString& path, qsizetype n)
{
    LineScanner scanner(n - 1);
    if (n < 1 || !scanLines(path, scanner))
        return std::nullopt;
    if (!scanner.found())
        return QString();
    return activeCodepage().decode(scanner.line());
}

std::optional<qsizetype> FileCommands::countLines(const QString& path)
{
    LineScanner scanner(-1);
    if (!scanLines(path, scanner))
        return std::nullopt;
    return scanner.count();
}

void FileCommands::showMessage(const QString& message)
{
    m_engine.host().messageDialog(m_engine.host().systemValues().windowCaption, message, {QStringLiteral("OK")});
}

void FileCommands::showIoError(int code)
{
    showMessage(ioErrorText(code));
}

bool FileCommands::withinOwnFolders(const QString& path) const
{
    const SystemValues v = m_engine.host().systemValues();
    for (const QString& root : {v.programFolder, v.temporaryFolder, playerDataFolder(), userCacheFolder()}) {
        if (root.isEmpty() || root == kFolderError)
            continue;
        // Both sides with their links followed: a link inside an allowed
        // folder cannot lead a write outside it.
        const QString target = physicalPath(path);
        const QString folder = physicalPath(root);
        if (!target.isEmpty() && !folder.isEmpty() && target.startsWith(folder + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool FileCommands::ask(Consent& consent, const QString& message)
{
    switch (consent) {
    case Consent::Allowed: return true;
    case Consent::Refused: return false;
    case Consent::Unasked: break;
    }
    const int answer = m_engine.host().messageDialog(m_engine.host().systemValues().windowCaption, message,
                                                     {QStringLiteral("Autoriser"), QStringLiteral("Refuser")});
    consent = answer == 1 ? Consent::Allowed : Consent::Refused;
    m_justRefused = consent == Consent::Refused;
    return consent == Consent::Allowed;
}

bool FileCommands::allowedToWrite(const QString& path, Report report)
{
    // A disc image is a CD-ROM: writing to it fails as writing to the disc did.
    if (disc::liesOnImageVolume(path)) {
        if (report == Report::Show)
            showIoError(io::kWriteProtected);
        return false;
    }
    // Drive C: is made by the first write that lands on it.
    const QString drive = userDriveFolder();
    if (drive != kFolderError && path.startsWith(drive + QLatin1Char('/')) && !QFileInfo(drive).isDir())
        makeFolderPath(drive);
    const Trust trust = m_engine.trust();
    if (trust == Trust::All || withinOwnFolders(path))
        return true;
    m_justRefused = false;
    if (trust == Trust::Ask &&
        ask(m_writeConsent, QStringLiteral("La publication veut écrire hors de son dossier :|%1||Autoriser cette "
                                           "écriture et les suivantes jusqu'à la fin de la lecture ?")
                                .arg(QDir::toNativeSeparators(path))))
        return true;
    // The reader who has just said no needs no box saying so.
    if (report == Report::Show && !m_justRefused)
        showMessage(kSafeRefusal);
    m_justRefused = false;
    return false;
}

bool FileCommands::allowedToLaunch(const QString& what)
{
    const Trust trust = m_engine.trust();
    if (trust == Trust::All)
        return true;
    m_justRefused = false;
    if (trust == Trust::Ask &&
        ask(m_launchConsent, QStringLiteral("La publication veut lancer :|%1||Autoriser ce lancement et les suivants "
                                            "jusqu'à la fin de la lecture ?")
                                 .arg(what)))
        return true;
    if (!m_justRefused)
        showMessage(kSafeRefusal);
    m_justRefused = false;
    return false;
}

int FileCommands::editLine(const QString& path, int n, const QString& text, LineEdit mode)
{
    BusyCursor cursor(m_engine.host());
    const QByteArray native = QFile::encodeName(path);
    Fd fd;
    for (int attempt = 1;; ++attempt) {
        Result<Fd> opened = openRegularFile(path, O_RDWR | O_CREAT);
        // Only another writer's lock is worth waiting for: a name that
        // cannot be opened (no such folder, a folder, a device, no right)
        // will not open later either, and the reader would wait seconds for
        // nothing.
        if (!opened)
            return opened.error();
        fd = std::move(opened).value();
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
        if (info.st_size > limits::kFileInMemory)
            throw LimitExceeded();
        QByteArray bytes;
        if (const int code = readBlocks(fd.get(), [&bytes](const char* data, qsizetype size) {
                if (bytes.size() + size > limits::kFileInMemory)
                    throw LimitExceeded();
                bytes.append(data, size);
                return 0;
            }))
            return code;
        QStringList lines = splitLines(activeCodepage().decode(bytes));
        if (mode == LineEdit::Delete) {
            if (lines.size() < n)
                return 0;
            lines.removeAt(n - 1);
        } else {
            if (qsizetype(n) - lines.size() > limits::kPaddingLines)
                throw LimitExceeded();
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
    // A FIFO or a device would block the copy or never end it.
    Result<Fd> in = openRegularFile(from, O_RDONLY);
    if (!in) {
        showIoError(in.error());
        return;
    }
    struct stat info {};
    if (::fstat(in->get(), &info) != 0) {
        showIoError(ioCodeFromErrno(errno, IoOp::Read));
        return;
    }
    if (const int code = replaceFile(to, info.st_mode, [&](int out) { return copyAll(in->get(), out); }))
        showIoError(code);
}

void FileCommands::internalCommand(const QString& commandLine)
{
    const SystemValues v = m_engine.host().systemValues();
    dos::Context context;
    context.currentFolder = v.programFolder;
    context.resolve = [](const QString& name, const QString& base) { return resolveWindowsPath(name, base); };
    // The interpreter printed its own errors in its own console: a refusal
    // shows nothing either.
    context.mayWrite = [this](const QString& path) { return allowedToWrite(path, Report::Silent); };
    context.displayName = dosDisplayName;
    context.codepage = &activeCodepage();
    [[maybe_unused]] const bool done = dos::run(commandLine, context);
}

void FileCommands::dosCommand(const QString& program, const QString& parameters)
{
    const DosCommandPlan plan = planDosCommand(program, parameters, m_engine.host().systemValues().programFolder);
    if (plan.kind == DosCommandPlan::Kind::Internal) {
        internalCommand(plan.program);
        return;
    }
    QString shown = plan.program;
    if (!plan.arguments.isEmpty())
        shown += QLatin1Char(' ') + plan.arguments.join(QLatin1Char(' '));
    if (!allowedToLaunch(shown))
        return;
    BusyCursor cursor(m_engine.host());
    cursor.show();
    int code = launch::kStarted;
    switch (plan.kind) {
    case DosCommandPlan::Kind::Internal: break;
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
    // The reader's own browser opens it, as it always did; only the safe
    // mode refuses.
    if (m_engine.trust() == Trust::Safe) {
        showMessage(kSafeRefusal);
        return;
    }
    if (openWithDesktop(address) != launch::kStarted) {
        const Publication& pub = m_engine.publication();
        m_engine.host().messageDialog(pub.strings.caption(LanguageElement::L_ERRORTITLE),
                                      pub.strings[LanguageElement::L_INTERNETERROR],
                                      {pub.strings.caption(LanguageElement::L_OK)});
    }
}

void FileCommands::execute(Command command, const ScriptArguments& args)
{
    const auto& v = args.values;
    Variables& vars = m_engine.variables();
    switch (command) {
    case Command::FileRead: {
        const int n = v[1].trimmed().toUpper() == QLatin1String("APPEND") ? 0 : scriptInteger(v[1]);
        vars.set(v[2], n >= 1 ? readLine(resolve(v[0]), n).value_or(QString()) : QString());
        break;
    }
    case Command::FileLen: {
        vars.set(v[1], QString::number(countLines(resolve(v[0])).value_or(0)));
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
