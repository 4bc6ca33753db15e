#pragma once

// What the fuzzers that draw share: a quiet GUI application for fonts.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>

namespace lumeria::fuzz {

inline void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Measuring and drawing text needs fonts, and fonts a QGuiApplication: made
// once, before any input runs, on the offscreen platform, without messages.
inline void startGuiApplication(const char* name)
{
    qInstallMessageHandler(quiet);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name), nullptr};
    static QGuiApplication app(argc, argv);
}

// A QTemporaryDir template for a target's scratch files. Layouts and file
// commands write whole files for every input; on a disk that, not the code
// under test, would set the pace, so they go to memory where there is some.
inline QString scratchTemplate(const char* target)
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString name = QString::fromLatin1(target) + QStringLiteral("-XXXXXX");
    return QDir(QFileInfo(shm).isWritable() ? shm : QDir::tempPath()).filePath(name);
}

} // namespace lumeria::fuzz
