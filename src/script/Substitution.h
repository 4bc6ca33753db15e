#pragma once

#include "script/Variables.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVarLengthArray>

#include <functional>
#include <optional>
#include <vector>

namespace lumeria {

enum class SubstitutionMode { Text, Numeric };

// What the built-in names need from the player: the current page, and the
// clock, read at most once per substituted text.
class BuiltinValues {
public:
    virtual ~BuiltinValues() = default;
    virtual QString pageTitle() const = 0;
    virtual QString pageNumber() const = 0; // empty without a current page
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    virtual QLocale locale() const { return QLocale::system(); }
};

// Replaces every [name] in text by its value: a user variable, else a
// built-in name, else "0" in numeric mode or nothing. The innermost '[' of a
// reference wins, "[[" does not open one, an unclosed reference runs to the
// end, inserted values are never substituted again, and at the end every
// doubled bracket is reduced to one. Script arguments are only given to it
// when they hold a '['; displayed texts always are.
QString substitute(const QString& text, const Variables& variables, const BuiltinValues& builtins,
                   SubstitutionMode mode = SubstitutionMode::Text);

// The references of one text found once, for a text substituted again and
// again (a script line in a loop): where the literal parts and the names
// are, and each name in the variable store's form. Applying it gives what
// substitute() gives for the text.
class SubstitutionPlan {
public:
    explicit SubstitutionPlan(const QString& text);
    QString apply(const Variables& variables, const BuiltinValues& builtins, SubstitutionMode mode) const;

    // The text with its references replaced but doubled brackets not yet
    // reduced, appended to out, for a reader that rejects every bracket
    // anyway (reducing pairs never removes the last bracket of a run).
    // Texts whose references may depend on the values inserted before them
    // cannot: false, and nothing is appended.
    using Buffer = QVarLengthArray<char16_t, 128>;
    bool appendUnreduced(Buffer& out, const Variables& variables, const BuiltinValues& builtins,
                         SubstitutionMode mode) const;

    // What apply() gives, as a view of the stored value itself when the
    // text is a reference to a variable alone and applying changes nothing
    // more (valid until the variables change), else of storage.
    QStringView view(const Variables& variables, const BuiltinValues& builtins, SubstitutionMode mode,
                     QString& storage) const;

private:
    struct Piece {
        qsizetype from = 0; // a literal part of the text
        qsizetype length = 0;
        bool reference = false;
        QString name; // as written, for the built-in names
        VariableName variable;
    };
    QString valueOf(const Piece& piece, const Variables& variables, const BuiltinValues& builtins,
                    SubstitutionMode mode, std::optional<QDateTime>& clock) const;
    void appendPieces(Buffer& out, const Variables& variables, const BuiltinValues& builtins, SubstitutionMode mode,
                      std::optional<QDateTime>& clock) const;

    QString m_text;
    std::vector<Piece> m_pieces;
    // Where a '[' directly follows a closed reference, whether it opens
    // another depends on the value just inserted: such texts take the
    // general path.
    bool m_general = false;
};

// The value of a built-in name (matched whole, ignoring case), or nothing.
// dateTime is read through the cache so that one text sees one clock reading.
std::optional<QString> builtinValue(const QString& name, const BuiltinValues& builtins,
                                    std::optional<QDateTime>& dateTime);

} // namespace lumeria
