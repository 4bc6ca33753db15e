#pragma once

#include <QString>
#include <QStringList>

namespace lumeria {

// The lines --automate-log writes, one per thing the publication showed
// while automated, so an end-to-end test can compare a run with the lines
// it expects. Every text is written in double quotes with '\' as "\\",
// '"' as "\"", each line break (CR LF, CR or LF) as "\n", a tab as "\t" and
// any other control character as "\xHH". A list (buttons, menu items) is one
// quoted text with its entries joined by '|', a '|' inside an entry being
// written "\|".
//
//   dialog "<title>" "<message>" "<buttons>" -> <answer>
//   menu <x> <y> "<items>" -> <answer>
//   balloon <x> <y> "<text>"
//   note <x> <y> <display time> "<text>"
//   popup <x> <y> <display time> "<file>"
//   screenshot "<path>"
//   screenshot-failed "<why>"
//   speak "<text>"
//   speak-stop
//
// Answers are the button or item number chosen (1-based), 0 when dismissed.
// Coordinates are the ones the script gave, in page pixels. A speak line is
// one utterance of reading aloud, written whether or not a voice says it;
// speak-stop is the reader silencing it (Esc, or the voice turned off).
namespace AutomationLog {

QString quoted(const QString& text);
QString quotedList(const QStringList& entries);

QString dialog(const QString& title, const QString& message, const QStringList& buttons, int answer);
QString menu(int x, int y, const QStringList& items, int answer);
QString balloon(int x, int y, const QString& text);
QString note(int x, int y, int displayTime, const QString& text);
QString popup(int x, int y, int displayTime, const QString& file);
QString screenshot(const QString& path);
QString screenshotFailed(const QString& reason);
QString speak(const QString& text);
QString speakStop();

} // namespace AutomationLog

} // namespace lumeria
