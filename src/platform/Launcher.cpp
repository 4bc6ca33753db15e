#include "platform/Launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace lumeria {

int startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    QString path = program;
    if (!program.contains(QLatin1Char('/'))) {
        const QString beside = workingFolder + QLatin1Char('/') + program;
        path = QFileInfo::exists(beside) ? beside : QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return launch::kFileNotFound;
    }
    const QFileInfo info(path);
    if (!info.dir().exists())
        return launch::kPathNotFound;
    if (!info.exists())
        return launch::kFileNotFound;
    if (!info.isFile() || ::access(QFile::encodeName(path).constData(), X_OK) != 0)
        return launch::kNotExecutable;
    return QProcess::startDetached(path, arguments, workingFolder) ? launch::kStarted : launch::kFailed;
}

int openWithDesktop(const QString& target)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return launch::kNoAssociation;
    return QProcess::startDetached(opener, {target}) ? launch::kStarted : launch::kNoAssociation;
}

} // namespace lumeria
