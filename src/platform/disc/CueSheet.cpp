#include "platform/disc/CueSheet.h"

#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <QFileInfo>

#include <map>

namespace lumeria::disc {

namespace {

constexpr int kMaxTracks = 99;
constexpr qsizetype kMaxSheet = qsizetype(1) << 20;
constexpr int64_t kFramesPerSecond = 75;

// A track as the sheet writes it, before its file's size is known.
struct RawTrack {
    int number = 0;
    TrackMode mode = TrackMode::Mode1Cooked;
    int file = -1;
    std::map<int, int64_t> indexes; // INDEX number -> frames into the file
    int64_t pregap = 0;
    int64_t postgap = 0;
};

// The words of a line; a quoted word keeps its spaces.
QList<QByteArray> wordsOf(const QByteArray& line)
{
    QList<QByteArray> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        if (line[i] == '"') {
            const qsizetype close = line.indexOf('"', i + 1);
            const qsizetype end = close < 0 ? line.size() : close;
            words.append(line.mid(i + 1, end - i - 1));
            i = end + 1;
        } else {
            qsizetype end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
            words.append(line.mid(i, end - i));
            i = end;
        }
    }
    return words;
}

// mm:ss:ff in frames of 1/75 s.
std::optional<int64_t> framesOf(const QByteArray& msf)
{
    const QList<QByteArray> parts = msf.split(':');
    if (parts.size() != 3)
        return std::nullopt;
    bool ok[3] = {};
    const int m = parts[0].toInt(&ok[0]);
    const int s = parts[1].toInt(&ok[1]);
    const int f = parts[2].toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || m < 0 || m > 999 || s < 0 || s >= 60 || f < 0 || f >= kFramesPerSecond)
        return std::nullopt;
    return (int64_t(m) * 60 + s) * kFramesPerSecond + f;
}

std::optional<TrackMode> modeOf(const QByteArray& word)
{
    const QByteArray w = word.toUpper();
    if (w == "MODE1/2048")
        return TrackMode::Mode1Cooked;
    if (w == "MODE1/2352")
        return TrackMode::Mode1Raw;
    if (w == "MODE2/2352")
        return TrackMode::Mode2Raw;
    if (w == "MODE2/2336")
        return TrackMode::Mode2Headerless;
    if (w == "AUDIO")
        return TrackMode::Audio;
    return std::nullopt;
}

QString lineError(int line)
{
    return QStringLiteral("La feuille CUE est illisible (ligne %1).").arg(line);
}

} // namespace

int sectorSize(TrackMode mode)
{
    switch (mode) {
    case TrackMode::Mode1Cooked: return 2048;
    case TrackMode::Mode2Headerless: return 2336;
    case TrackMode::Mode1Raw:
    case TrackMode::Mode2Raw:
    case TrackMode::Audio: return 2352;
    }
    return 2352;
}

int userDataOffset(TrackMode mode)
{
    switch (mode) {
    case TrackMode::Mode1Cooked: return 0;
    case TrackMode::Mode1Raw: return 16;       // sync and header
    case TrackMode::Mode2Raw: return 24;       // sync, header and subheader
    case TrackMode::Mode2Headerless: return 8; // subheader
    case TrackMode::Audio: return -1;
    }
    return -1;
}

CueParse parseCueSheet(const QByteArray& text, const std::function<std::optional<QString>(const QString& name)>& find,
                       const std::function<std::optional<int64_t>(const QString& path)>& size)
{
    CueParse out;
    if (text.size() > kMaxSheet) {
        out.error = QStringLiteral("La feuille CUE est trop longue.");
        return out;
    }
    QStringList files;
    std::vector<RawTrack> tracks;
    int lineNumber = 0;
    for (QByteArray line : text.split('\n')) {
        ++lineNumber;
        line = line.trimmed();
        if (line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        const QList<QByteArray> words = wordsOf(line);
        if (words.isEmpty())
            continue;
        const QByteArray keyword = words[0].toUpper();
        if (keyword == "FILE") {
            if (words.size() < 2) {
                out.error = lineError(lineNumber);
                return out;
            }
            const QByteArray type = words.size() >= 3 ? words.last().toUpper() : QByteArray("BINARY");
            const QString name = windowsFileName(QString::fromUtf8(words[1]));
            if (type != "BINARY") {
                out.error = QStringLiteral("Le fichier %1 de la feuille CUE n'est pas une image binaire (%2).")
                                .arg(name, QString::fromLatin1(type));
                return out;
            }
            const std::optional<QString> path = name.isEmpty() ? std::nullopt : find(name);
            if (!path) {
                out.error = QStringLiteral("Le fichier %1 nommé par la feuille CUE est introuvable.").arg(name);
                return out;
            }
            files.append(*path);
        } else if (keyword == "TRACK") {
            bool ok = false;
            const int number = words.size() >= 3 ? words[1].toInt(&ok) : 0;
            const std::optional<TrackMode> mode = words.size() >= 3 ? modeOf(words[2]) : std::nullopt;
            if (!ok || files.isEmpty() || number < 1 || number > kMaxTracks ||
                (!tracks.empty() && number <= tracks.back().number)) {
                out.error = lineError(lineNumber);
                return out;
            }
            if (!mode) {
                out.error = QStringLiteral("La piste %1 est d'un mode inconnu (%2).")
                                .arg(number)
                                .arg(QString::fromLatin1(words[2]));
                return out;
            }
            tracks.push_back({number, *mode, int(files.size() - 1), {}, 0, 0});
        } else if (keyword == "INDEX" || keyword == "PREGAP" || keyword == "POSTGAP") {
            const bool index = keyword == "INDEX";
            bool ok = !tracks.empty() && words.size() >= (index ? 3 : 2);
            const int number = ok && index ? words[1].toInt(&ok) : 0;
            const std::optional<int64_t> frames = ok ? framesOf(words[index ? 2 : 1]) : std::nullopt;
            if (!ok || !frames || number < 0 || number > 99) {
                out.error = lineError(lineNumber);
                return out;
            }
            RawTrack& track = tracks.back();
            if (keyword == "PREGAP")
                track.pregap = *frames;
            else if (keyword == "POSTGAP")
                track.postgap = *frames;
            else if (track.file != int(files.size() - 1) ||
                     (!track.indexes.empty() &&
                      (number <= track.indexes.rbegin()->first || *frames < track.indexes.rbegin()->second))) {
                // An index in a later file than its track's, or out of
                // order: no disc is laid out like that.
                out.error = lineError(lineNumber);
                return out;
            } else {
                track.indexes[number] = *frames;
            }
        }
        // REM, TITLE, PERFORMER, SONGWRITER, CATALOG, ISRC, FLAGS and
        // CDTEXTFILE describe the disc; nothing of them is needed to play it.
    }
    if (tracks.empty()) {
        out.error = QStringLiteral("La feuille CUE ne contient aucune piste.");
        return out;
    }

    // A track's sectors run from its INDEX 01 to where the next track of
    // the same file starts (its first index: the pregap stored before it
    // belongs to the gap, not to this track) or to the end of the file.
    // Tracks of one file may differ in sector size, so positions in bytes
    // are summed track by track.
    std::vector<int64_t> startByte(tracks.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        const RawTrack& t = tracks[i];
        if (!t.indexes.count(1)) {
            out.error = QStringLiteral("La piste %1 de la feuille CUE n'a pas d'INDEX 01.").arg(t.number);
            return out;
        }
        const int64_t first = t.indexes.begin()->second;
        if (i > 0 && tracks[i - 1].file == t.file) {
            const RawTrack& previous = tracks[i - 1];
            const int64_t previousFirst = previous.indexes.begin()->second;
            if (first < previous.indexes.rbegin()->second) {
                out.error = lineError(lineNumber);
                return out;
            }
            startByte[i] = startByte[i - 1] + (first - previousFirst) * sectorSize(previous.mode);
        } else {
            startByte[i] = first * sectorSize(t.mode);
        }
    }
    for (size_t i = 0; i < tracks.size(); ++i) {
        const RawTrack& t = tracks[i];
        const int bytes = sectorSize(t.mode);
        const int64_t from = startByte[i] + (t.indexes.at(1) - t.indexes.begin()->second) * bytes;
        int64_t end = 0;
        if (i + 1 < tracks.size() && tracks[i + 1].file == t.file) {
            end = startByte[i + 1];
        } else {
            const std::optional<int64_t> fileSize = size(files[t.file]);
            if (!fileSize) {
                out.error = QStringLiteral("Le fichier %1 nommé par la feuille CUE est introuvable.")
                                .arg(QFileInfo(files[t.file]).fileName());
                out.sheet.tracks.clear();
                return out;
            }
            end = *fileSize;
        }
        if (end < from) {
            out.error = QStringLiteral("La piste %1 commence après la fin de son fichier %2.")
                            .arg(t.number)
                            .arg(QFileInfo(files[t.file]).fileName());
            out.sheet.tracks.clear();
            return out;
        }
        out.sheet.tracks.push_back({t.number, t.mode, files[t.file], from, (end - from) / bytes, t.pregap, t.postgap});
    }
    return out;
}

CueParse readCueSheet(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    Result<QByteArray> text = Failure{0};
    try {
        text = readRegularFile(path, kMaxSheet);
    } catch (const LimitExceeded&) {
        CueParse out;
        out.error = QStringLiteral("La feuille CUE est trop longue.");
        return out;
    }
    if (!text) {
        CueParse out;
        out.error = QStringLiteral("La feuille CUE %1 est illisible.").arg(QFileInfo(path).fileName());
        return out;
    }
    return parseCueSheet(
        text.value(),
        [&](const QString& name) -> std::optional<QString> {
            const QString found = findCaseInsensitive(folder, name);
            if (found.isEmpty())
                return std::nullopt;
            const QString file = folder + QLatin1Char('/') + found;
            if (!QFileInfo(file).isFile())
                return std::nullopt;
            return file;
        },
        [](const QString& file) -> std::optional<int64_t> {
            const QFileInfo info(file);
            if (!info.isFile())
                return std::nullopt;
            return info.size();
        });
}

} // namespace lumeria::disc
