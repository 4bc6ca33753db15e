#include "platform/CommandInterpreter.h"

#include "platform/Codepage.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace lumeria::dos {

namespace {

// Listings (DIR /S, TREE) stop here: a publication can point them at a
// folder with millions of entries or at the root of the disk.
constexpr int kMaxListed = 10'000;
constexpr int kMaxDepth = 32;

const QString kCommands =
    QStringLiteral("DIR.COPY.DEL.TYPE.VER.ERASE.TREE.CHCP.CHDIR.CD.DATE.MKDIR.MD.RENAME.REN.RMDIR.RD.TIME.VOL.");

// One command line as the interpreter read it: the command, its parameters
// with quotes removed, its switches and where its output goes.
struct Line {
    QString command;
    QStringList words;
    QStringList switches; // upper-cased, without the '/'
    QString output;
    bool append = false;
};

bool isDelimiter(QChar c)
{
    // The interpreter split parameters at these as at spaces.
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char(',') || c == QLatin1Char(';') ||
           c == QLatin1Char('=');
}

bool parse(const QString& text, Line& line)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (isDelimiter(text[i]) || text[i] == QLatin1Char('@')))
        ++i;
    const qsizetype nameStart = i;
    while (i < n && text[i].isLetter() && text[i].unicode() < 128)
        ++i;
    line.command = text.mid(nameStart, i - nameStart).toUpper();
    if (line.command.isEmpty())
        return false;

    enum class Target { Word, Output, Input };
    Target target = Target::Word;
    QString word;
    bool inWord = false;
    bool isSwitch = false;
    bool quoted = false;
    bool ok = true;
    const auto finish = [&] {
        if (!inWord)
            return;
        if (target == Target::Output) {
            line.output = word;
            target = Target::Word;
        } else if (target == Target::Input) {
            target = Target::Word; // nothing here reads its input
        } else if (isSwitch) {
            line.switches.append(word.toUpper());
        } else {
            line.words.append(word);
        }
        word.clear();
        inWord = false;
        isSwitch = false;
    };
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if (quoted) {
            word += c;
            continue;
        }
        if (isDelimiter(c)) {
            finish();
        } else if (c == QLatin1Char('/') && target == Target::Word) {
            finish();
            inWord = true;
            isSwitch = true;
        } else if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            finish();
            if (target != Target::Word)
                ok = false;
            if (c == QLatin1Char('>')) {
                line.append = i + 1 < n && text[i + 1] == QLatin1Char('>');
                if (line.append)
                    ++i;
                if (!line.output.isEmpty())
                    ok = false;
                target = Target::Output;
            } else {
                target = Target::Input;
            }
        } else if (c == QLatin1Char('|')) {
            // A pipe hands the output to another program; none is started.
            return false;
        } else {
            word += c;
            inWord = true;
        }
    }
    finish();
    return ok && !quoted && target == Target::Word;
}

bool hasWildcard(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

bool isHidden(const QString& name)
{
    return name.startsWith(QLatin1Char('.'));
}

// Table-driven, so a pattern of many stars costs its length times the
// name's, never an exponential search.
bool matchFrom(QStringView p, QStringView s)
{
    // No name here is longer than this; a longer pattern of literal text
    // cannot match one, and a hostile one must not cost time.
    constexpr qsizetype kMaxPattern = 4096;
    if (p.size() > kMaxPattern)
        return false;
    const qsizetype ns = s.size();
    // next[j]: the pattern after position i matches s from j.
    std::vector<char> next(size_t(ns + 1), 0);
    std::vector<char> here(size_t(ns + 1), 0);
    next[size_t(ns)] = 1;
    for (qsizetype i = p.size() - 1; i >= 0; --i) {
        const QChar c = p[i];
        for (qsizetype j = ns; j >= 0; --j) {
            bool m = false;
            if (c == QLatin1Char('*')) {
                m = next[size_t(j)] || (j < ns && here[size_t(j + 1)]);
            } else if (c == QLatin1Char('?')) {
                // At the end of the name or before its point, '?' stands
                // for nothing.
                m = (j == ns || s[j] == QLatin1Char('.')) ? next[size_t(j)] : next[size_t(j + 1)];
            } else {
                m = j < ns && c.toUpper() == s[j].toUpper() && next[size_t(j + 1)];
            }
            here[size_t(j)] = m;
        }
        std::swap(next, here);
    }
    return next[0];
}

struct Stat {
    bool ok = false;
    struct stat st {};
};

Stat lstatOf(const QString& path)
{
    Stat s;
    s.ok = ::lstat(QFile::encodeName(path).constData(), &s.st) == 0;
    return s;
}

Stat statOf(const QString& path)
{
    Stat s;
    s.ok = ::stat(QFile::encodeName(path).constData(), &s.st) == 0;
    return s;
}

bool sameFile(const QString& a, const QString& b)
{
    const Stat sa = statOf(a);
    const Stat sb = statOf(b);
    return sa.ok && sb.ok && sa.st.st_dev == sb.st.st_dev && sa.st.st_ino == sb.st.st_ino;
}

bool isFolder(const QString& path)
{
    const Stat s = statOf(path);
    return s.ok && S_ISDIR(s.st.st_mode);
}

class Interpreter {
public:
    Interpreter(const Line& line, const Context& context) : m_line(line), m_context(context) {}

    bool run();
    const QByteArray& output() const { return m_output; }

private:
    // A name as given, split into the folder it names and its last
    // component.
    struct Place {
        QString folder;
        QString name;
    };

    QString resolve(const QString& name) const { return m_context.resolve(name, m_context.currentFolder); }
    Place split(const QString& given) const;
    // The entries of a folder whose names match the pattern; hidden ones
    // only when asked for by name or with all.
    QStringList matching(const QString& folder, const QString& pattern, bool all = false) const;
    bool hasSwitch(QChar letter) const;
    void print(const QString& text = {});

    bool dir();
    bool copy();
    bool del();
    bool type();
    bool ren();
    bool md();
    bool rd();
    bool cd();
    bool vol();
    bool tree();
    bool chcp();
    bool date();
    bool time();
    bool ver();

    void listFolder(const QString& folder, const QString& pattern, int depth, int& files, qint64& bytes, int& folders,
                    bool& any);
    void treeOf(const QString& folder, const QString& prefix, int depth);
    QString serialNumber(const QString& path) const;
    QString volumeLines(const QString& path);

    const Line& m_line;
    const Context& m_context;
    QByteArray m_output;
    int m_listed = 0;
};

QString Interpreter::volumeLines(const QString& path)
{
    const QString shown = m_context.displayName(path);
    print(QStringLiteral(" Le volume dans le lecteur %1 n'a pas de nom").arg(shown.left(1)));
    print(QStringLiteral(" Le numéro de série du volume est %1").arg(serialNumber(path)));
    return shown;
}

QString Interpreter::serialNumber(const QString& path) const
{
    const Stat s = statOf(path);
    const quint32 dev = s.ok ? quint32(s.st.st_dev) * 2654435761U : 0;
    return QStringLiteral("%1-%2")
        .arg(dev >> 16, 4, 16, QLatin1Char('0'))
        .arg(dev & 0xFFFF, 4, 16, QLatin1Char('0'))
        .toUpper();
}

Interpreter::Place Interpreter::split(const QString& given) const
{
    const QString name = windowsFileName(given);
    const QString folderPart = given.left(given.size() - name.size());
    Place s;
    s.folder = folderPart.isEmpty() ? m_context.currentFolder : resolve(folderPart);
    s.name = name;
    return s;
}

QStringList Interpreter::matching(const QString& folder, const QString& pattern, bool all) const
{
    QStringList out;
    QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (out.size() >= kMaxListed)
            break;
        if (isHidden(name) && !all)
            continue;
        if (matchesWildcard(pattern, name))
            out.append(folder + QLatin1Char('/') + name);
    }
    return out;
}

bool Interpreter::hasSwitch(QChar letter) const
{
    for (const QString& s : m_line.switches)
        if (s.startsWith(letter))
            return true;
    return false;
}

void Interpreter::print(const QString& text)
{
    m_output += m_context.codepage ? m_context.codepage->encode(text) : text.toLatin1();
    m_output += "\r\n";
}

bool Interpreter::run()
{
    const QString& c = m_line.command;
    if (c == QLatin1String("DIR"))
        return dir();
    if (c == QLatin1String("COPY"))
        return copy();
    if (c == QLatin1String("DEL") || c == QLatin1String("ERASE"))
        return del();
    if (c == QLatin1String("TYPE"))
        return type();
    if (c == QLatin1String("REN") || c == QLatin1String("RENAME"))
        return ren();
    if (c == QLatin1String("MD") || c == QLatin1String("MKDIR"))
        return md();
    if (c == QLatin1String("RD") || c == QLatin1String("RMDIR"))
        return rd();
    if (c == QLatin1String("CD") || c == QLatin1String("CHDIR"))
        return cd();
    if (c == QLatin1String("VOL"))
        return vol();
    if (c == QLatin1String("TREE"))
        return tree();
    if (c == QLatin1String("CHCP"))
        return chcp();
    if (c == QLatin1String("DATE"))
        return date();
    if (c == QLatin1String("TIME"))
        return time();
    if (c == QLatin1String("VER"))
        return ver();
    // Any other word named a program for the interpreter to look for; none
    // is started through it.
    return false;
}

QString grouped(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype k = digits.size() - 3; k > 0; k -= 3)
        digits.insert(k, QLatin1Char(' '));
    return digits;
}

// The short name the interpreter showed beside a long one: the first
// letters upper-cased and "~1" when the name is not already 8.3.
QString shortName(const QString& name, QString& extension)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString base = dot > 0 ? name.left(dot) : name;
    extension = dot > 0 ? name.mid(dot + 1) : QString();
    const bool fits = base.size() <= 8 && extension.size() <= 3 && !base.contains(QLatin1Char(' ')) &&
                      !base.contains(QLatin1Char('.'));
    if (!fits) {
        base.remove(QLatin1Char(' ')).remove(QLatin1Char('.'));
        base = base.left(6) + QStringLiteral("~1");
        extension = extension.left(3);
    }
    extension = extension.toUpper();
    return base.toUpper();
}

void Interpreter::listFolder(const QString& folder, const QString& pattern, int depth, int& files, qint64& bytes,
                             int& folders, bool& any)
{
    const bool bare = hasSwitch(QLatin1Char('B'));
    const bool wide = hasSwitch(QLatin1Char('W'));
    const bool lower = hasSwitch(QLatin1Char('L'));
    const bool all = hasSwitch(QLatin1Char('A'));
    const bool recurse = hasSwitch(QLatin1Char('S'));

    QStringList entries = matching(folder, pattern, all);
    // The interpreter showed . and .. first in every folder but a root.
    if (!bare && folder != QLatin1String("/") && matchesWildcard(pattern, QStringLiteral(".")))
        entries = QStringList{folder + QStringLiteral("/."), folder + QStringLiteral("/..")} + entries;
    m_listed += int(entries.size());

    int here = 0;
    qint64 hereBytes = 0;
    int hereFolders = 0;
    if (!entries.isEmpty() && !bare) {
        print();
        print(QStringLiteral(" Répertoire de %1").arg(m_context.displayName(folder)));
        print();
    }
    QString wideLine;
    for (const QString& path : entries) {
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        const Stat s = statOf(path);
        const bool isDir = s.ok && S_ISDIR(s.st.st_mode);
        const qint64 size = s.ok && !isDir ? qint64(s.st.st_size) : 0;
        isDir ? ++hereFolders : ++here;
        hereBytes += size;
        const QString shown = lower ? name.toLower() : name;
        if (bare) {
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                print(recurse ? m_context.displayName(folder) + QLatin1Char('\\') + shown : shown);
            continue;
        }
        if (wide) {
            // Columns of 16, a long name taking as many as it needs.
            const QString cell = (isDir ? QLatin1Char('[') + shown + QLatin1Char(']') : shown) + QLatin1Char(' ');
            wideLine += cell.leftJustified((cell.size() + 15) / 16 * 16);
            if (wideLine.size() >= 80) {
                print(wideLine.trimmed());
                wideLine.clear();
            }
            continue;
        }
        QString extension;
        QString base = name == QLatin1String(".") || name == QLatin1String("..") ? name : shortName(name, extension);
        const QDateTime modified =
            s.ok ? QDateTime::fromSecsSinceEpoch(qint64(s.st.st_mtime)) : QDateTime::currentDateTime();
        const QString sizeField = isDir ? QStringLiteral("   <REP>      ") : grouped(size).rightJustified(14);
        QString row = base.leftJustified(8) + QLatin1Char(' ') + extension.leftJustified(3) + sizeField +
                      QStringLiteral("  ") + modified.toString(QStringLiteral("dd/MM/yy  HH:mm"));
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            row += QLatin1Char(' ') + shown;
        print(lower ? row.toLower() : row);
    }
    if (!wideLine.isEmpty())
        print(wideLine.trimmed());
    if (!entries.isEmpty() && !bare && recurse) {
        print(QStringLiteral("%1 fichier(s) %2 octets").arg(here, 10).arg(grouped(hereBytes), 14));
    }
    any = any || !entries.isEmpty();
    files += here;
    bytes += hereBytes;
    folders += hereFolders;

    if (!recurse || depth >= kMaxDepth)
        return;
    for (const QString& path : matching(folder, QStringLiteral("*"), all)) {
        if (m_listed >= kMaxListed)
            return;
        // Links are not followed: a loop of them would never end.
        const Stat s = lstatOf(path);
        if (s.ok && S_ISDIR(s.st.st_mode))
            listFolder(path, pattern, depth + 1, files, bytes, folders, any);
    }
}

bool Interpreter::dir()
{
    if (m_line.words.size() > 1)
        return false;
    QString folder = m_context.currentFolder;
    QString pattern = QStringLiteral("*.*");
    if (!m_line.words.isEmpty()) {
        const QString& given = m_line.words.front();
        const QString whole = resolve(given);
        if (!hasWildcard(given) && isFolder(whole)) {
            folder = whole;
        } else {
            const Place s = split(given);
            folder = s.folder;
            if (!s.name.isEmpty())
                pattern = s.name;
        }
    }
    if (!isFolder(folder))
        return false;
    const bool bare = hasSwitch(QLatin1Char('B'));
    if (!bare)
        volumeLines(folder);
    int files = 0;
    int folders = 0;
    qint64 bytes = 0;
    bool any = false;
    listFolder(folder, pattern, 0, files, bytes, folders, any);
    if (!any) {
        if (!bare) {
            print();
            print(QStringLiteral("Fichier introuvable"));
        }
        return false;
    }
    if (bare)
        return true;
    if (hasSwitch(QLatin1Char('S'))) {
        print();
        print(QStringLiteral("Total des fichiers listés :"));
    }
    struct statvfs fs {};
    const qint64 free =
        ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 ? qint64(fs.f_bavail) * qint64(fs.f_frsize) : 0;
    print(QStringLiteral("%1 fichier(s) %2 octets").arg(files, 10).arg(grouped(bytes), 14));
    print(QStringLiteral("%1 répertoire(s) %2 octets libres").arg(folders, 10).arg(grouped(free), 14));
    return true;
}

bool Interpreter::type()
{
    if (m_line.words.size() != 1 || hasWildcard(m_line.words.front()))
        return false;
    const QString path = resolve(m_line.words.front());
    if (m_line.output.isEmpty()) {
        // Shown in a console that closed at once: only whether it opens
        // matters.
        return openRegularFile(path, O_RDONLY).ok();
    }
    Result<QByteArray> bytes = readRegularFile(path);
    if (!bytes)
        return false;
    m_output += bytes.value();
    return true;
}

bool Interpreter::del()
{
    if (m_line.words.size() != 1)
        return false;
    const QString& given = m_line.words.front();
    QStringList targets;
    const QString whole = resolve(given);
    if (!hasWildcard(given) && isFolder(whole)) {
        // DEL of a folder empties it of its files, as DEL folder\*.* does.
        targets = matching(whole, QStringLiteral("*.*"));
    } else {
        const Place s = split(given);
        if (s.name.isEmpty())
            return false;
        if (hasWildcard(s.name))
            targets = matching(s.folder, s.name);
        else if (lstatOf(whole).ok)
            targets = {whole};
    }
    bool deleted = false;
    bool failed = false;
    for (const QString& path : targets) {
        const Stat s = lstatOf(path);
        if (!s.ok || S_ISDIR(s.st.st_mode))
            continue;
        // The read-only attribute: a file its owner may not write.
        if (S_ISREG(s.st.st_mode) && !(s.st.st_mode & S_IWUSR)) {
            failed = true;
            continue;
        }
        if (!S_ISREG(s.st.st_mode) && !S_ISLNK(s.st.st_mode))
            continue;
        if (!m_context.mayWrite(path))
            return false;
        if (::unlink(QFile::encodeName(path).constData()) == 0)
            deleted = true;
        else
            failed = true;
    }
    return deleted && !failed;
}

// Renames without ever replacing what is there.
bool renameNoReplace(const QString& from, const QString& to, bool isDir)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link fails on an existing name.
    if (!isDir)
        return ::link(a.constData(), b.constData()) == 0 && ::unlink(a.constData()) == 0;
    return ::access(b.constData(), F_OK) != 0 && ::rename(a.constData(), b.constData()) == 0;
}

bool Interpreter::ren()
{
    if (m_line.words.size() != 2)
        return false;
    const QString& newName = m_line.words[1];
    if (newName.isEmpty() || windowsFileName(newName) != newName)
        return false; // the new name is a name, never a path
    const Place s = split(m_line.words[0]);
    if (s.name.isEmpty())
        return false;
    QStringList sources;
    if (hasWildcard(s.name)) {
        for (const QString& path : matching(s.folder, s.name))
            if (!isFolder(path))
                sources.append(path);
    } else if (const QString path = resolve(m_line.words[0]); lstatOf(path).ok) {
        sources = {path};
    }
    if (sources.isEmpty())
        return false;
    bool failed = false;
    for (const QString& from : sources) {
        const QString folder = QFileInfo(from).absolutePath();
        const QString oldName = QFileInfo(from).fileName();
        const QString name = hasWildcard(newName) ? applyTemplate(newName, oldName) : newName;
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
            failed = true;
            continue;
        }
        const QString to = folder + QLatin1Char('/') + name;
        // Names differing only in case are one name to the publication.
        const QString existing = findCaseInsensitive(folder, name);
        if (!existing.isEmpty() && !sameFile(folder + QLatin1Char('/') + existing, from)) {
            failed = true;
            continue;
        }
        if (name == oldName)
            continue;
        if (!m_context.mayWrite(from) || !m_context.mayWrite(to))
            return false;
        if (!renameNoReplace(from, to, isFolder(from)))
            failed = true;
    }
    return !failed;
}

bool Interpreter::md()
{
    if (m_line.words.size() != 1)
        return false;
    const QString path = resolve(m_line.words.front());
    if (hasWildcard(m_line.words.front()) || lstatOf(path).ok)
        return false;
    if (!m_context.mayWrite(path))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0755) == 0;
}

bool Interpreter::rd()
{
    if (m_line.words.size() != 1 || hasWildcard(m_line.words.front()))
        return false;
    const QString path = resolve(m_line.words.front());
    const Stat s = lstatOf(path);
    if (!s.ok || !S_ISDIR(s.st.st_mode))
        return false;
    if (physicalPath(path) == physicalPath(m_context.currentFolder))
        return false; // the interpreter never removed the folder it was in
    if (!m_context.mayWrite(path))
        return false;
    return ::rmdir(QFile::encodeName(path).constData()) == 0;
}

bool Interpreter::cd()
{
    if (m_line.words.size() > 1)
        return false;
    if (m_line.words.isEmpty()) {
        print(m_context.displayName(m_context.currentFolder));
        return true;
    }
    const QString& where = m_line.words.front();
    if (where.size() == 2 && where[1] == QLatin1Char(':')) {
        print(m_context.displayName(resolve(where + QLatin1Char('\\'))));
        return true;
    }
    // The interpreter changed its own folder and ended: nothing outlives it.
    return isFolder(resolve(where));
}

bool Interpreter::vol()
{
    if (m_line.words.size() > 1)
        return false;
    const QString root = m_line.words.isEmpty() ? m_context.currentFolder : resolve(m_line.words.front());
    if (!isFolder(root))
        return false;
    volumeLines(root);
    return true;
}

void Interpreter::treeOf(const QString& folder, const QString& prefix, int depth)
{
    if (depth >= kMaxDepth)
        return;
    const bool withFiles = hasSwitch(QLatin1Char('F'));
    QStringList folders;
    QStringList files;
    for (const QString& path : matching(folder, QStringLiteral("*"))) {
        if (++m_listed > kMaxListed)
            return;
        const Stat s = lstatOf(path);
        (s.ok && S_ISDIR(s.st.st_mode) ? folders : files).append(path);
    }
    if (withFiles) {
        const QString bar = folders.isEmpty() ? QStringLiteral("    ") : QStringLiteral("|   ");
        for (const QString& f : files)
            print(prefix + bar + QFileInfo(f).fileName());
        if (!files.isEmpty())
            print(prefix + bar);
    }
    for (qsizetype k = 0; k < folders.size(); ++k) {
        const bool last = k + 1 == folders.size();
        print(prefix + (last ? QStringLiteral("\\---") : QStringLiteral("+---")) + QFileInfo(folders[k]).fileName());
        treeOf(folders[k], prefix + (last ? QStringLiteral("    ") : QStringLiteral("|   ")), depth + 1);
    }
}

bool Interpreter::tree()
{
    if (m_line.words.size() > 1)
        return false;
    const QString root = m_line.words.isEmpty() ? m_context.currentFolder : resolve(m_line.words.front());
    if (!isFolder(root))
        return false;
    print(QStringLiteral("Structure du dossier"));
    print(QStringLiteral("Le numéro de série du volume est %1").arg(serialNumber(root)));
    const QString shown = m_context.displayName(root);
    print(m_line.words.isEmpty() ? shown.left(2) + QLatin1Char('.') : shown);
    treeOf(root, QString(), 0);
    return true;
}

// The console's code page that went with each Windows code page.
int oemCodepage(int windows)
{
    switch (windows) {
    case 1250: return 852;
    case 1251: return 866;
    case 1253: return 737;
    case 1254: return 857;
    case 1255: return 862;
    case 1256: return 720;
    case 1257: return 775;
    case 874: return 874;
    case 1258: return 1258;
    default: return 850;
    }
}

bool Interpreter::chcp()
{
    if (m_line.words.size() > 1)
        return false;
    if (m_line.words.isEmpty()) {
        const int windows = m_context.codepage ? m_context.codepage->number() : 1252;
        print(QStringLiteral("Page de codes active : %1").arg(oemCodepage(windows)));
        return true;
    }
    // It changed the console's code page, and the console closed.
    bool number = false;
    m_line.words.front().toInt(&number);
    return number;
}

QDateTime clockOf(const Context& context)
{
    return context.now.isValid() ? context.now : QDateTime::currentDateTime();
}

bool Interpreter::date()
{
    // A date given would have set the system's clock; this one never does.
    if (!m_line.words.isEmpty())
        return true;
    static const char* const kDays[] = {"lun", "mar", "mer", "jeu", "ven", "sam", "dim"};
    const QDate today = clockOf(m_context).date();
    print(QStringLiteral("La date du jour est %1 %2")
              .arg(QLatin1String(kDays[today.dayOfWeek() - 1]), today.toString(QStringLiteral("dd/MM/yyyy"))));
    print(QStringLiteral("Entrez la nouvelle date (jj-mm-aa) : "));
    return true;
}

bool Interpreter::time()
{
    if (!m_line.words.isEmpty())
        return true;
    const QTime now = clockOf(m_context).time();
    print(QStringLiteral("L'heure actuelle est %1:%2:%3,%4")
              .arg(now.hour(), 2)
              .arg(now.minute(), 2, 10, QLatin1Char('0'))
              .arg(now.second(), 2, 10, QLatin1Char('0'))
              .arg(now.msec() / 10, 2, 10, QLatin1Char('0')));
    print(QStringLiteral("Entrez la nouvelle heure : "));
    return true;
}

bool Interpreter::ver()
{
    if (!m_line.words.isEmpty())
        return false;
    print();
    print(QStringLiteral("Windows 95. [Version 4.00.950]"));
    print();
    return true;
}

// COPY's parameters grouped at '+': a+b, a + b and a+ b all join a and b.
QList<QStringList> copyGroups(const QStringList& words)
{
    QList<QStringList> groups;
    bool join = false;
    for (const QString& word : words) {
        const QStringList parts = word.split(QLatin1Char('+'));
        const bool startsJoined = join || word.startsWith(QLatin1Char('+'));
        QStringList names;
        for (const QString& p : parts)
            if (!p.isEmpty())
                names.append(p);
        if (startsJoined && !groups.isEmpty())
            groups.back() += names;
        else if (!names.isEmpty())
            groups.append(names);
        join = word.endsWith(QLatin1Char('+'));
    }
    return groups;
}

// Appends one source to an open destination; in text mode the source ends
// at its first Ctrl+Z, as the interpreter read text files.
int appendSource(int out, const QString& path, bool text)
{
    Result<Fd> in = openRegularFile(path, O_RDONLY);
    if (!in)
        return in.error();
    bool ended = false;
    return readBlocks(in->get(), [&](const char* data, qsizetype n) {
        if (ended)
            return 0;
        if (text) {
            if (const void* eof = ::memchr(data, 0x1A, size_t(n))) {
                n = static_cast<const char*>(eof) - data;
                ended = true;
            }
        }
        return writeAll(out, data, n);
    });
}

bool Interpreter::copy()
{
    const QList<QStringList> groups = copyGroups(m_line.words);
    if (groups.isEmpty() || groups.size() > 2 || (groups.size() == 2 && groups[1].size() != 1))
        return false;
    const QStringList& sourceNames = groups[0];
    bool anyWildcard = false;
    QStringList sources;
    for (const QString& given : sourceNames) {
        const Place s = split(given);
        if (hasWildcard(s.name)) {
            anyWildcard = true;
            for (const QString& path : matching(s.folder, s.name)) {
                const Stat st = statOf(path);
                if (st.ok && S_ISREG(st.st.st_mode))
                    sources.append(path);
            }
        } else {
            const QString path = resolve(given);
            const Stat st = statOf(path);
            if (!st.ok || !S_ISREG(st.st.st_mode))
                return false;
            sources.append(path);
        }
    }
    if (sources.isEmpty())
        return false;

    const QString destinationName = groups.size() == 2 ? groups[1].front() : QString();
    QString destFolder;
    QString destFile;
    QString destTemplate;
    if (destinationName.isEmpty()) {
        destFolder = m_context.currentFolder;
    } else if (const QString whole = resolve(destinationName); !hasWildcard(destinationName) && isFolder(whole)) {
        destFolder = whole;
    } else {
        const Place s = split(destinationName);
        if (hasWildcard(s.name)) {
            destFolder = s.folder;
            destTemplate = s.name;
        } else {
            destFile = whole;
        }
    }

    const bool concatenate = sourceNames.size() > 1 || (anyWildcard && !destFile.isEmpty());
    // Joined files were copied as text unless /B said otherwise; one file
    // as it is unless /A said text.
    const bool text = concatenate ? !hasSwitch(QLatin1Char('B')) : hasSwitch(QLatin1Char('A'));

    if (concatenate) {
        // Without a destination the first source receives the others.
        const QString to =
            !destFile.isEmpty() ? destFile
            : destTemplate.isEmpty()
                ? (destinationName.isEmpty() ? sources.front()
                                             : destFolder + QLatin1Char('/') + QFileInfo(sources.front()).fileName())
                : destFolder + QLatin1Char('/') + applyTemplate(destTemplate, QFileInfo(sources.front()).fileName());
        if (!m_context.mayWrite(to))
            return false;
        const Stat first = statOf(sources.front());
        const int code = replaceFile(to, first.ok ? first.st.st_mode : 0644, [&](int out) {
            for (const QString& source : sources)
                if (const int c = appendSource(out, source, text))
                    return c;
            return text ? writeAll(out, "\x1A", 1) : 0;
        });
        return code == 0;
    }

    bool failed = false;
    for (const QString& source : sources) {
        const QString name = QFileInfo(source).fileName();
        const QString to = !destFile.isEmpty()       ? destFile
                           : !destTemplate.isEmpty() ? destFolder + QLatin1Char('/') + applyTemplate(destTemplate, name)
                                                     : destFolder + QLatin1Char('/') + name;
        // A file copied onto itself would be emptied first.
        if (sameFile(source, to) || physicalPath(source) == physicalPath(to)) {
            failed = true;
            continue;
        }
        if (!m_context.mayWrite(to))
            return false;
        const Stat st = statOf(source);
        const int code = replaceFile(to, st.ok ? st.st.st_mode : 0644, [&](int out) {
            if (const int c = appendSource(out, source, text))
                return c;
            return text ? writeAll(out, "\x1A", 1) : 0;
        });
        if (code != 0)
            return false; // a full disk ends the copy as it ended the interpreter's
    }
    return !failed;
}

// Writes what a command printed into its redirection's file.
bool redirect(const Line& line, const Context& context, const QByteArray& output)
{
    const QString path = context.resolve(line.output, context.currentFolder);
    if (!context.mayWrite(path))
        return false;
    if (line.append) {
        Result<Fd> fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT);
        return fd && writeAll(fd->get(), output) == 0;
    }
    const Stat existing = statOf(path);
    if (existing.ok && !S_ISREG(existing.st.st_mode))
        return false;
    return replaceFile(path, existing.ok ? existing.st.st_mode : 0644, [&](int fd) { return writeAll(fd, output); }) ==
           0;
}

} // namespace

bool isInternalCommand(const QString& program)
{
    return kCommands.contains(program.toUpper() + QLatin1Char('.'));
}

bool matchesWildcard(const QString& pattern, const QString& name)
{
    if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*"))
        return true;
    if (pattern.endsWith(QLatin1String(".*")) && matchFrom(QStringView(pattern).chopped(2), name))
        return true; // "A.*" takes "A" too
    if (pattern.endsWith(QLatin1Char('.')) && !pattern.endsWith(QLatin1String("..")))
        return !name.contains(QLatin1Char('.')) && matchFrom(QStringView(pattern).chopped(1), name);
    return matchFrom(pattern, name);
}

QString applyTemplate(const QString& templ, const QString& name)
{
    const auto halves = [](const QString& s) {
        const qsizetype dot = s.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? std::pair{s, QString()} : std::pair{s.left(dot), s.mid(dot + 1)};
    };
    const auto part = [](const QString& t, const QString& n) {
        QString out;
        for (qsizetype k = 0; k < t.size(); ++k) {
            if (t[k] == QLatin1Char('*'))
                return out + n.mid(k);
            if (t[k] == QLatin1Char('?')) {
                if (k < n.size())
                    out += n[k];
            } else {
                out += t[k];
            }
        }
        return out;
    };
    const auto [tBase, tExt] = halves(templ);
    const auto [nBase, nExt] = halves(name);
    const QString base = part(tBase, nBase);
    const QString extension = templ.contains(QLatin1Char('.')) ? part(tExt, nExt) : QString();
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

bool run(const QString& commandLine, const Context& context)
{
    Line line;
    if (!parse(commandLine, line) || !kCommands.contains(line.command + QLatin1Char('.')))
        return false;
    Interpreter interpreter(line, context);
    const bool done = interpreter.run();
    // The interpreter opened its output file before the command ran, so a
    // command that failed still leaves it, empty or with what was printed.
    if (!line.output.isEmpty())
        return redirect(line, context, interpreter.output()) && done;
    return done;
}

} // namespace lumeria::dos
