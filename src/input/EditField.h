#pragma once

#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace lumeria {

// How the one edit control is laid over an edit-field button.
struct EditFieldLook {
    QRect geometry; // in the parent's coordinates
    QFont font;
    QColor textColour;
    QColor background;
    bool multiLine = false;
    int maxLength = 0; // 0: no limit
};

// The single edit control reused for every edit-field button: a line edit,
// or a plain-text edit when the button wraps its words. Only one of the two
// is ever shown. Changes made by the reader are reported through onChange;
// text put in with setText is not, so that a field bound to a variable does
// not run its action again when the variable is written back to it.
//
// The length limit holds back typing only: text put in with setText stays
// whole however long it is (a script may write a long variable), and the
// reader may still shorten it. What is typed or pasted is kept as far as it
// fits; a key that does not fit is refused and changes nothing.
class EditField {
public:
    explicit EditField(QWidget* parent);
    ~EditField();
    EditField(const EditField&) = delete;
    EditField& operator=(const EditField&) = delete;

    void show(const EditFieldLook& look, const QString& text);
    void hide();
    bool visible() const;

    QString text() const;
    // Replaces the contents without reporting a change; the cursor stays put
    // when the text is the same.
    void setText(const QString& text);

    // The control now shown, or nullptr.
    QWidget* widget() const;
    QLineEdit* lineEdit() const { return m_line; }
    QPlainTextEdit* textEdit() const { return m_multi; }
    QWidget* parent() const { return m_parent; }

    std::function<void()> onChange;

private:
    void changed();

    QWidget* m_parent = nullptr;
    QPointer<QLineEdit> m_line;
    QPointer<QPlainTextEdit> m_multi;
    bool m_multiLine = false;
    // The limit and the text as it stood before the reader's change, which
    // the line edit's validator shares.
    struct Limit {
        int maxLength = 0;
        QString before;
    } m_limit;
    bool m_quiet = false;
};

} // namespace lumeria
