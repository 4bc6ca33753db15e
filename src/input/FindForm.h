#pragma once

#include "document/Settings.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumeria {

// Find's small window: a prompt, the text to look for, Find First, Find
// Next and Close. It stays on top and does not block the page.
class TFindForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxText = 45;

    TFindForm(const LanguageElementArray& strings, QWidget* parent = nullptr);

    QLineEdit* searchEdit() const { return m_edit; }
    QPushButton* findButton() const { return m_find; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* closeButton() const { return m_close; }

    // Whether a search is under way, which Find Next needs.
    void setSearching(bool searching);
    // After a search found nothing more: Find Next off, the text selected.
    void searchEnded();

    std::function<void()> onFindFirst;
    std::function<void()> onFindNext;

private:
    void updateButtons();

    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_find = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_close = nullptr;
    bool m_searching = false;
};

} // namespace lumeria
