#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lumeria {

// The window a long print job shows: the page being printed, a gauge of the
// lines done and a Cancel button that asks before it stops the job. It
// blocks the rest of the player while it is up, so the reader's clicks
// cannot start another script halfway through a page.
class TProgressReport : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        QString applicationTitle;
        QString cancel;        // L_CANCEL
        QString abortQuestion; // L_ABORTFUNCTION
        QString yes;           // L_YES
        QString no;            // L_NO
    };

    TProgressReport(const Texts& texts, int maximum, QWidget* parent = nullptr);

    void setPrompt(const QString& text);
    // Moves the gauge on, never past its maximum.
    void advance(int lines);
    bool cancelled() const { return m_cancelled; }
    // Closes the window once the job is over.
    void finish();
    // Esc and the window's close box ask like Cancel: the window cannot go
    // away while the job it reports on goes on.
    void reject() override;

    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* gauge() const { return m_gauge; }
    QLabel* prompt() const { return m_prompt; }

private:
    void askToCancel();

    Texts m_texts;
    QLabel* m_prompt = nullptr;
    QProgressBar* m_gauge = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_cancelled = false;
    bool m_finished = false;
};

} // namespace lumeria
