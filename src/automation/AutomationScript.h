#pragma once

#include "automation/ParseResult.h"

#include <QString>
#include <Qt>

#include <vector>

namespace lumeria {

enum class AutomationVerb {
    Click,            // click X Y: press and release at page coordinates
    Press,            // press X Y
    Release,          // release X Y
    Move,             // move X Y
    Key,              // key NAME [shift] [ctrl] [alt]
    Type,             // type TEXT
    Wait,             // wait MS
    ExpectPage,       // expect-page NAME
    ExpectVar,        // expect-var NAME VALUE
    WaitVar,          // wait-var NAME VALUE: until the variable has the value
    ExpectMedia,      // expect-media NAME... | none: what plays, newest first
    DumpVars,         // dump-vars FILE
    Screenshot,       // screenshot FILE: the main window's client area
    ScreenshotScreen, // screenshot-screen FILE: every visible window composited
    Mci,              // mci COMMAND: sends a command string, logs its code and reply
    Answer,           // answer N: the next dialog or menu gets button or item N, 0 dismisses;
                      // answer reader: it shows and waits for real input (number -1)
    Quit,
};

// The answer that leaves a box or menu to the reader's real input.
inline constexpr int kReaderAnswers = -1;

// One line of an automation file. Only the fields of its verb are set.
struct AutomationCommand {
    AutomationVerb verb = AutomationVerb::Quit;
    int line = 0; // 1-based, for the runner's failure messages

    int x = 0;      // click, press, release, move
    int y = 0;      //
    int number = 0; // wait: milliseconds; answer: button or item (>= 0)
    // key: the key's name as written; type: the text; expect-page: the page;
    // expect-var, wait-var: the variable; expect-media: the file names,
    // mci: the command string;
    // blank-separated, or "none"; dump-vars, screenshot*: the file.
    QString text;
    QString value;                   // expect-var, wait-var: the value, possibly empty
    Qt::KeyboardModifiers modifiers; // key
};

using AutomationScript = std::vector<AutomationCommand>;

// One command a line; blank lines and lines whose first non-blank character
// is '#' are skipped. Command names ignore case. Arguments are separated by
// blanks, except that the text of "type", the value of "expect-var" and
// "wait-var" and the names of "expect-page", "dump-vars" and the screenshots
// run to the end of the line, so they may hold blanks: "type" and the values
// keep trailing blanks (they are compared exactly), the names are trimmed.
// The first bad line fails the whole file as "line N: reason", before
// anything runs.
ParseResult<AutomationScript> parseAutomationScript(const QString& text);

// Reads FILE as UTF-8 and parses it; an unreadable file is an error too.
ParseResult<AutomationScript> readAutomationScript(const QString& path);

} // namespace lumeria
