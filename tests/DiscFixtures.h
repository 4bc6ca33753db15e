#pragma once

// Disc images made in tests: ISO 9660 file systems by xorriso from a
// folder, and the raw sectors and tone tracks of CUE/BIN images, written
// byte by byte as a CD-ROM drive would read them.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace lumeria::test {

// An ISO 9660 image of folder at iso; options are mkisofs's (-J for Joliet
// names, -R for Rock Ridge). Empty when xorriso failed, with its words.
inline QString makeIso(const QString& folder, const QString& iso, const QStringList& options = {"-J", "-R"})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("xorriso"),
            QStringList{"-as", "mkisofs", "-quiet", "-V", "TESTDISC"} + options + QStringList{"-o", iso, folder});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString::fromUtf8(p.readAll());
    return {};
}

inline uint8_t bcd(int n)
{
    return uint8_t((n / 10) << 4 | (n % 10));
}

// The 2048-byte sectors of iso as a raw data track: sync, the header with
// the sector's address (from 00:02:00, where a disc's first track starts)
// and mode, for mode 2 the form 1 subheader, the data, and room for the
// error codes (left zero: nothing reads them).
inline QByteArray rawDataTrack(const QByteArray& iso, int mode)
{
    QByteArray out;
    const qsizetype sectors = iso.size() / 2048;
    out.reserve(sectors * 2352);
    for (qsizetype i = 0; i < sectors; ++i) {
        const int lba = int(i) + 150;
        QByteArray s(2352, '\0');
        for (int k = 1; k <= 10; ++k)
            s[k] = char(0xFF);
        s[12] = char(bcd(lba / 4500));
        s[13] = char(bcd(lba / 75 % 60));
        s[14] = char(bcd(lba % 75));
        s[15] = char(mode);
        const int data = mode == 1 ? 16 : 24;
        if (mode == 2)
            s[18] = s[22] = char(0x08); // subheader: data, form 1
        std::memcpy(s.data() + data, iso.constData() + i * 2048, 2048);
        out += s;
    }
    return out;
}

// Whole CD audio sectors of a sine tone at hz: 16-bit little-endian
// stereo, 44.1 kHz, 588 frames a sector.
inline QByteArray toneTrack(double hz, double seconds, double amplitude = 0.4)
{
    const int sectors = int(std::lround(seconds * 75));
    QByteArray out(qsizetype(sectors) * 2352, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    for (int64_t k = 0; k < int64_t(sectors) * 588; ++k) {
        const auto v = int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * double(k) / 44100)));
        for (int c = 0; c < 2; ++c) {
            p[k * 4 + c * 2] = uint8_t(v & 0xFF);
            p[k * 4 + c * 2 + 1] = uint8_t((v >> 8) & 0xFF);
        }
    }
    return out;
}

// mm:ss:ff of a count of sectors.
inline QString msf(int64_t sectors)
{
    return QString::asprintf("%02d:%02d:%02d", int(sectors / 4500), int(sectors / 75 % 60), int(sectors % 75));
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace lumeria::test
