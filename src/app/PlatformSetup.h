#pragma once

#include "app/CommandLine.h"

#include <QSocketNotifier>

#include <functional>
#include <memory>

class QApplication;

namespace lumeria {

// What the player asks of the desktop before any publication is opened.

// Whether a display is there to show a window on.
bool hasDisplay();

// Without a display, the offscreen platform serves the modes that need
// none. False (with the reason on standard error) when the mode asked for
// needs a screen.
bool chooseHeadlessPlatform(const CommandLine& commandLine);

// The application, with the desktop's own factor rounded to a whole one
// (the window chooses the factor the page shows at).
std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const CommandLine& commandLine);

// SIGINT and SIGTERM end the run as a close does, so that the files the
// publication extracted are removed.
std::unique_ptr<QSocketNotifier> watchSignals(std::function<void()> onStop);

} // namespace lumeria
