#pragma once

#include "text/Markup.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace lumeria::text {

// Where a walk through marked-up text stands: inside a link's shown part,
// inside its target (after "=", up to ^l), inside hidden text (^M … ^m).
// Kept by the caller so that it can carry over from one line to the next.
struct ScanMode {
    bool inLink = false;
    bool inTarget = false;
    bool inHidden = false;

    bool inShownLink() const { return inLink && !inTarget; }
    // What a caret code's letter does to the mode. Inside hidden text or a
    // link's target only the code that closes it counts.
    void apply(char16_t letter);
};

struct MarkupToken {
    enum class Kind {
        Run,    // shown characters, "^^" already turned into "^"
        Hidden, // text between ^M and ^m
        Target, // a link's target
        Code,   // a caret code; unknown letters come through too and are ignored by the caller
        End,
    };
    Kind kind = Kind::End;
    QString text;
    char16_t letter = 0;
    std::optional<int> number;
};

// Cuts a line of marked-up text into runs and codes. The layout and the
// painter both walk text through it, so that they agree on what is shown,
// what is measured and where links begin and end.
class MarkupScanner {
public:
    MarkupScanner(QStringView text, TextForm form, ScanMode& mode) : m_text(text), m_form(form), m_mode(mode) {}

    MarkupToken next();

private:
    MarkupToken collectUntil(char16_t closing, MarkupToken::Kind kind);

    QStringView m_text;
    TextForm m_form;
    ScanMode& m_mode;
    qsizetype m_pos = 0;
};

} // namespace lumeria::text
