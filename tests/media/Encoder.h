#pragma once

// Test clips made by the ffmpeg command, so the decoders meet files that
// another program wrote.

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace lumeria::media::test {

inline QString ffmpegPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

#define REQUIRE_FFMPEG()                                                                                               \
    if (::lumeria::media::test::ffmpegPath().isEmpty())                                                                \
    GTEST_SKIP() << "no ffmpeg to encode with"

// Runs the command-line encoder; the arguments are split on spaces, so
// filter graphs in them must not contain any.
inline bool encode(const QString& arguments, const QString& out, bool required = true)
{
    QProcess encoder;
    encoder.start(ffmpegPath(),
                  QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")} +
                      arguments.split(u' ', Qt::SkipEmptyParts) + QStringList{out});
    const bool ok = encoder.waitForFinished(30000) && encoder.exitCode() == 0;
    if (required) {
        EXPECT_TRUE(ok) << encoder.readAllStandardError().toStdString();
    }
    return ok;
}

} // namespace lumeria::media::test
