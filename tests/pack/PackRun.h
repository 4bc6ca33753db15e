#pragma once

// Runs the real lumeria-pack and collects what it said.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace lumeria::test {

struct PackRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline PackRun pack(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(LUMERIA_PACK), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace lumeria::test
