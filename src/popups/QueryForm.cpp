#include "popups/QueryForm.h"

#include "popups/DialogFrame.h"
#include "popups/DialogIcons.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace lumeria {

namespace {

constexpr int kIconSize = 32;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 8;
constexpr int kMargin = 12;

TQueryForm::Answerer& installedAnswerer()
{
    static TQueryForm::Answerer instance;
    return instance;
}

} // namespace

void TQueryForm::setAnswerer(Answerer answerer)
{
    installedAnswerer() = std::move(answerer);
}

std::optional<int> TQueryForm::answerFor(const QString& title, const QString& message, const QStringList& buttons)
{
    const Answerer& decide = installedAnswerer();
    return decide ? decide(title, message, buttons) : std::nullopt;
}

QStringList buttonCaptions(const QString& list)
{
    if (list.isEmpty())
        return {};
    return list.split(QLatin1Char('|'));
}

QFont TQueryForm::dialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

TQueryForm::TQueryForm(const QString& title, const QString& message, const QStringList& buttons, QWidget* parent,
                       bool stayOnTop)
    : QDialog(parent)
{
    setWindowFlags(dialogWindowFlags(stayOnTop));
    setFont(dialogFont());
    setWindowTitle(title);

    m_icon = new QLabel(this);
    m_prompt = new QLabel(this);
    m_prompt->setTextFormat(Qt::PlainText);
    QString text = message;
    text.replace(QLatin1Char('|'), QLatin1Char('\n')).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_prompt->setText(text);

    const QStringList captions = buttons.mid(0, kMaxButtons);
    m_captions = captions;
    m_question = captions.size() >= 2;
    m_icon->setPixmap(dialogIcon(m_question ? DialogIcon::Question : DialogIcon::Alert));
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setAutoDefault(true);
        const int tag = i + 1;
        connect(button, &QPushButton::clicked, this, [this, tag] {
            m_result = tag;
            accept();
        });
        m_buttons.push_back(button);
    }
    layOut();
}

void TQueryForm::layOut()
{
    const QFontMetrics fm(font());
    int buttonWidth = 45;
    for (QPushButton* b : m_buttons)
        buttonWidth = std::max(buttonWidth, fm.horizontalAdvance(b->text()) + 16);

    // The message at (52, 14) and the icon at (12, 16), their middles aligned.
    const QRect textBox = fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop, m_prompt->text());
    QRect prompt(52, 14, std::max(1, textBox.width()), std::max(fm.height(), textBox.height()));
    QRect icon(12, 16, kIconSize, kIconSize);
    if (prompt.height() < icon.height())
        prompt.moveTop(icon.center().y() + 1 - prompt.height() / 2);
    else
        icon.moveTop(prompt.top() + prompt.height() / 2 - kIconSize / 2);

    const int messageBottom = prompt.bottom() + 1;
    int rowWidth = 0;
    int clientHeight = messageBottom + 16;
    std::vector<QRect> places;
    if (!m_buttons.empty()) {
        clientHeight = messageBottom + 68;
        int x = kMargin;
        for (size_t i = 0; i < m_buttons.size(); ++i) {
            places.emplace_back(x, messageBottom + 24, buttonWidth, kButtonHeight);
            x += buttonWidth + kButtonGap;
        }
        rowWidth = places.back().right() + 1 + kMargin;
    }
    const int messageWidth = prompt.right() + 1 + kMargin;
    // A title wider than both widens the box too, so that the window
    // manager need not cut it; message and buttons then both stand centred.
    const int clientWidth = std::max({rowWidth, messageWidth, widthForTitle(windowTitle(), font())});
    if (messageWidth < clientWidth) {
        const int shift = (clientWidth - messageWidth) / 2;
        prompt.translate(shift, 0);
        icon.translate(shift, 0);
    }
    if (!places.empty() && rowWidth < clientWidth) {
        for (QRect& r : places)
            r.translate((clientWidth - rowWidth) / 2, 0);
    }

    m_prompt->setGeometry(prompt);
    m_icon->setGeometry(icon);
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setGeometry(places[i]);
    setFixedSize(clientWidth, clientHeight);

    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.center().x() - clientWidth / 2, area.center().y() - clientHeight / 2);
    }
}

int TQueryForm::ask()
{
    m_result = 0;
    if (const Answerer& decide = installedAnswerer()) {
        if (const std::optional<int> answer = decide(windowTitle(), m_prompt->text(), m_captions)) {
            m_result = *answer;
            return m_result;
        }
    }
    exec();
    return m_result;
}

} // namespace lumeria
