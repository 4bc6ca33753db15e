#include "input/FindForm.h"

#include "popups/DialogFrame.h"
#include "popups/QueryForm.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace lumeria {

namespace {

constexpr int kEditWidth = 160;
constexpr int kRowHeight = 23;
constexpr int kMargin = 12;

} // namespace

TFindForm::TFindForm(const LanguageElementArray& strings, QWidget* parent) : QDialog(parent, dialogWindowFlags(true))
{
    setWindowTitle(strings.caption(LanguageElement::L_FINDTITLE));
    // The window is Arial 9 points, as the classic dialogs are.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    setFont(font);
    m_prompt = new QLabel(strings[LanguageElement::L_FINDPROMPT], this);
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(kMaxText);
    m_find = new QPushButton(strings.caption(LanguageElement::L_FINDFIRST), this);
    m_next = new QPushButton(strings.caption(LanguageElement::L_FINDNEXT), this);
    m_close = new QPushButton(strings.caption(LanguageElement::L_CLOSE), this);
    m_find->setDefault(true);

    // One width for the three buttons: the widest caption and 16.
    const QFontMetrics fm(font);
    int buttonWidth = 0;
    for (const QPushButton* b : {m_find, m_next, m_close})
        buttonWidth = std::max(buttonWidth, fm.horizontalAdvance(b->text()) + 16);
    const int promptWidth = fm.horizontalAdvance(m_prompt->text());
    const int clientWidth =
        std::max({3 * buttonWidth + 32, promptWidth + kEditWidth + 4 + 16, widthForTitle(windowTitle(), font)});
    const int lineLeft = (clientWidth - (promptWidth + 4 + kEditWidth)) / 2;
    m_prompt->setGeometry(lineLeft, kMargin, promptWidth, kRowHeight);
    m_edit->setGeometry(lineLeft + promptWidth + 4, kMargin, kEditWidth, kRowHeight);
    const int rowLeft = (clientWidth - (3 * buttonWidth + 2 * 8)) / 2;
    const int rowTop = kMargin + kRowHeight + 12;
    m_find->setGeometry(rowLeft, rowTop, buttonWidth, kRowHeight + 2);
    m_next->setGeometry(rowLeft + buttonWidth + 8, rowTop, buttonWidth, kRowHeight + 2);
    m_close->setGeometry(rowLeft + 2 * (buttonWidth + 8), rowTop, buttonWidth, kRowHeight + 2);
    setFixedSize(clientWidth, rowTop + kRowHeight + 2 + kMargin);

    connect(m_edit, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(m_find, &QPushButton::clicked, this, [this] {
        if (onFindFirst)
            onFindFirst();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (onFindNext)
            onFindNext();
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    updateButtons();
}

void TFindForm::setSearching(bool searching)
{
    m_searching = searching;
    updateButtons();
}

void TFindForm::searchEnded()
{
    setSearching(false);
    m_edit->setFocus();
    m_edit->selectAll();
}

void TFindForm::updateButtons()
{
    const bool text = !m_edit->text().isEmpty();
    m_find->setEnabled(text);
    m_next->setEnabled(text && m_searching);
}

} // namespace lumeria
