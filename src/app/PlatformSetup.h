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

// Whole-factor scaling, decided before the application starts (a factor
// given on the command line) or by starting again once the screen can be
// measured (auto). Returns the application; a restart does not return.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const CommandLine& commandLine, bool pagesOnly);
// Undoes what a scale decided for this run left in the environment, so that
// a player started from it on another publication decides its own.
void forgetScaleChoice();

// SIGINT and SIGTERM end the run as a close does, so that the files the
// publication extracted are removed.
std::unique_ptr<QSocketNotifier> watchSignals(std::function<void()> onStop);

} // namespace lumeria
