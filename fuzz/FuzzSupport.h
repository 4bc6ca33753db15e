#pragma once

// What the fuzzers that draw share: a quiet GUI application for fonts.
#include <QGuiApplication>

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

} // namespace lumeria::fuzz
