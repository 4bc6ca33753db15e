#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace lumeria {

// The player's one message dialog: a title, a message ('|' or CR breaks
// lines), any number of buttons. Returns the 1-based button pressed, 0 when
// the box was closed any other way.
class TQueryForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxButtons = 50;

    TQueryForm(const QString& title, const QString& message, const QStringList& buttons, QWidget* parent = nullptr,
               bool stayOnTop = false);

    int result() const { return m_result; }
    // Shows the box modally and returns the button pressed; while an
    // answerer is installed it decides instead and the box is never shown.
    int ask();

    // Gets the title, the message as displayed and the captions of each box
    // about to be asked; an answer replaces the reader's, nothing lets the box
    // show. Automation installs one so that a run never waits on a reader.
    using Answerer =
        std::function<std::optional<int>(const QString& title, const QString& message, const QStringList& buttons)>;
    static void setAnswerer(Answerer answerer);
    // Asks the installed answerer about a dialog that is not a box (the print
    // dialog): nothing when none is installed and the dialog must show.
    static std::optional<int> answerFor(const QString& title, const QString& message, const QStringList& buttons);

    // For tests and automation: the laid-out parts.
    QLabel* icon() const { return m_icon; }
    QLabel* prompt() const { return m_prompt; }
    const std::vector<QPushButton*>& buttons() const { return m_buttons; }
    bool showsQuestion() const { return m_question; }

    // The dialogs' own font: the classic 8-point sans serif at 96 DPI.
    static QFont dialogFont();

private:
    void layOut();

    QLabel* m_icon = nullptr;
    QLabel* m_prompt = nullptr;
    std::vector<QPushButton*> m_buttons;
    QStringList m_captions;
    bool m_question = false;
    int m_result = 0;
};

// The captions of a '|'-separated button list; an empty list gives none.
QStringList buttonCaptions(const QString& list);

} // namespace lumeria
