#pragma once

#include <QString>
#include <QStringList>

namespace lumeria {

// Result codes of starting a program, as the runtime reports them: 0 when it
// started, else the small numbers its messages are keyed by.
namespace launch {
inline constexpr int kStarted = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kNotExecutable = 11;
inline constexpr int kNoAssociation = 31;
inline constexpr int kFailed = 32;
} // namespace launch

// Starts a program detached from the player, in the given working folder.
// A program named without a folder that is not in the working folder is
// looked for on PATH.
int startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder);

// Opens a document or an address with the desktop's choice of program
// (xdg-open). kNoAssociation when nothing on this system can open it.
int openWithDesktop(const QString& target);

} // namespace lumeria
