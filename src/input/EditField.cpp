#include "input/EditField.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace lumeria {

namespace {

// QLineEdit's own ceiling stands for "no limit".
constexpr int kUnlimited = 32767;

void applyLook(QWidget* w, const EditFieldLook& look)
{
    w->setFont(look.font);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Text, look.textColour);
    palette.setColor(QPalette::Base, look.background);
    palette.setColor(QPalette::Window, look.background);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->setGeometry(look.geometry);
}

} // namespace

EditField::EditField(QWidget* parent) : m_parent(parent)
{
    m_line = new QLineEdit(parent);
    m_line->setFrame(false);
    m_line->setTextMargins(0, 0, 0, 0);
    m_line->setContentsMargins(0, 0, 0, 0);
    m_line->hide();
    QObject::connect(m_line, &QLineEdit::textChanged, m_line, [this] { changed(); });

    m_multi = new QPlainTextEdit(parent);
    m_multi->setFrameShape(QFrame::NoFrame);
    m_multi->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_multi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_multi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_multi->document()->setDocumentMargin(0);
    m_multi->hide();
    QObject::connect(m_multi, &QPlainTextEdit::textChanged, m_multi, [this] { changed(); });
}

EditField::~EditField()
{
    // The parent may already have deleted the controls with itself; if not,
    // they go now, since their change handlers point back here.
    delete m_line.data();
    delete m_multi.data();
}

void EditField::show(const EditFieldLook& look, const QString& text)
{
    if (!m_line || !m_multi)
        return;
    hide();
    m_multiLine = look.multiLine;
    m_maxLength = look.maxLength > 0 ? look.maxLength : 0;
    if (m_multiLine) {
        applyLook(m_multi, look);
    } else {
        applyLook(m_line, look);
        m_line->setMaxLength(m_maxLength > 0 ? m_maxLength : kUnlimited);
    }
    setText(text);
    widget()->show();
    widget()->raise();
    widget()->setFocus(Qt::OtherFocusReason);
}

void EditField::hide()
{
    if (m_line)
        m_line->hide();
    if (m_multi)
        m_multi->hide();
}

bool EditField::visible() const
{
    // isHidden, not isVisible: the field counts as shown even while its
    // window is not mapped yet.
    return m_line && m_multi && !widget()->isHidden();
}

QWidget* EditField::widget() const
{
    if (!m_line || !m_multi)
        return nullptr;
    return m_multiLine ? static_cast<QWidget*>(m_multi) : static_cast<QWidget*>(m_line);
}

QString EditField::text() const
{
    if (!m_line || !m_multi)
        return {};
    return m_multiLine ? m_multi->toPlainText() : m_line->text();
}

void EditField::setText(const QString& text)
{
    if (!m_line || !m_multi || text == this->text())
        return;
    m_quiet = true;
    if (m_multiLine) {
        m_multi->setPlainText(m_maxLength > 0 ? text.left(m_maxLength) : text);
        m_multi->moveCursor(QTextCursor::End);
    } else {
        m_line->setText(text);
    }
    m_quiet = false;
}

void EditField::changed()
{
    if (m_quiet)
        return;
    // A plain-text edit has no length limit of its own: cut what was typed
    // or pasted past it, leaving the cursor at the end of what is kept.
    if (m_multiLine && m_maxLength > 0) {
        const QString t = m_multi->toPlainText();
        if (t.size() > m_maxLength) {
            m_quiet = true;
            m_multi->setPlainText(t.left(m_maxLength));
            m_multi->moveCursor(QTextCursor::End);
            m_quiet = false;
        }
    }
    if (onChange)
        onChange();
}

} // namespace lumeria
