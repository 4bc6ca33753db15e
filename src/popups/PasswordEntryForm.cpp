#include "popups/PasswordEntryForm.h"

#include "popups/DialogFrame.h"
#include "popups/DialogIcons.h"
#include "popups/QueryForm.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace lumeria {

TPasswordEntryForm::TPasswordEntryForm(const QString& password, const LanguageElementArray& strings, QWidget* parent)
    : QDialog(parent), m_password(password), m_strings(strings)
{
    setWindowFlags(dialogWindowFlags());
    setFont(TQueryForm::dialogFont());
    setWindowTitle(strings.caption(LanguageElement::L_PWORDTITLE));
    const QFontMetrics fm(font());

    m_lock = new QLabel(this);
    m_lock->setPixmap(dialogIcon(DialogIcon::LockClosed));
    m_lock->setGeometry(12, 12, 32, 32);

    QString message = strings[LanguageElement::L_PWORDMSG];
    message.replace(QLatin1Char('|'), QLatin1Char('\n'));
    auto* msg = new QLabel(message, this);
    msg->setTextFormat(Qt::PlainText);
    const QRect msgBox = fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop, message);
    msg->setGeometry(56, 12, std::max(200, msgBox.width()), std::max(32, msgBox.height()));

    auto* prompt = new QLabel(strings[LanguageElement::L_PWORDPROMPT], this);
    const int promptTop = msg->geometry().bottom() + 12;
    prompt->setGeometry(56, promptTop, std::max(1, fm.horizontalAdvance(prompt->text())), fm.height());

    m_entry = new QLineEdit(this);
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setGeometry(56, promptTop + fm.height() + 4, msg->width(), fm.height() + 10);

    // Both buttons as wide as the wider caption plus 16.
    m_ok = new QPushButton(strings.caption(LanguageElement::L_OK), this);
    m_cancel = new QPushButton(strings.caption(LanguageElement::L_CANCEL), this);
    const int buttonWidth =
        std::max({75, fm.horizontalAdvance(m_ok->text()) + 16, fm.horizontalAdvance(m_cancel->text()) + 16});
    const int clientWidth =
        std::max({56 + msg->width() + 12, 2 * buttonWidth + 8 + 24, widthForTitle(windowTitle(), font())});
    const int buttonTop = m_entry->geometry().bottom() + 16;
    m_cancel->setGeometry(clientWidth - 12 - buttonWidth, buttonTop, buttonWidth, 25);
    m_ok->setGeometry(m_cancel->x() - 8 - buttonWidth, buttonTop, buttonWidth, 25);
    setFixedSize(clientWidth, buttonTop + 25 + 12);

    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    connect(m_entry, &QLineEdit::textChanged, this, [this](const QString& t) { m_ok->setEnabled(!t.isEmpty()); });
    connect(m_ok, &QPushButton::clicked, this, &TPasswordEntryForm::check);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_result = kCancelled;
        reject();
    });
    m_entry->setFocus();

    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.center().x() - width() / 2, area.center().y() - height() / 2);
    }
}

void TPasswordEntryForm::check()
{
    if (m_entry->text().toUpper() == m_password.toUpper()) {
        m_lock->setPixmap(dialogIcon(DialogIcon::LockOpen));
        m_open = true;
        m_lock->repaint();
        // Long enough for the reader to see the lock open.
        QThread::msleep(400);
        m_result = kAccepted;
        accept();
        return;
    }
    m_result = kRefused;
    TQueryForm box(m_strings.caption(LanguageElement::L_PWORDTITLE), m_strings[LanguageElement::L_PWORDERROR],
                   {m_strings.caption(LanguageElement::L_OK)}, this);
    box.ask();
    reject();
}

int TPasswordEntryForm::ask()
{
    m_result = kCancelled;
    exec();
    return m_result;
}

} // namespace lumeria
