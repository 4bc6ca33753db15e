#pragma once

#include "document/Settings.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumeria {

// Asks for the publication's password before the player may close.
class TPasswordEntryForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAccepted = 6;
    static constexpr int kRefused = 7;
    static constexpr int kCancelled = 2;

    TPasswordEntryForm(const QString& password, const LanguageElementArray& strings, QWidget* parent = nullptr);

    // Shows the dialog modally: 6 for the right password, 7 after a wrong
    // one (its message shown), 2 when cancelled or closed.
    int ask();

    QLineEdit* entry() const { return m_entry; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    bool lockShownOpen() const { return m_open; }

private:
    void check();

    QString m_password;
    const LanguageElementArray& m_strings;
    QLabel* m_lock = nullptr;
    QLineEdit* m_entry = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_result = kCancelled;
    bool m_open = false;
};

} // namespace lumeria
