#include "input/EditField.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>
#include <optional>

namespace lumeria {

namespace {

// Characters a change put in beyond the length limit.
struct Overflow {
    qsizetype from = 0; // the first inserted character that does not fit
    qsizetype count = 0;
};

// Reads a change from the text before it, the text after it and the cursor
// after it, which stands at the end of what was inserted; whatever the
// change removed is gone either way. Only a change that makes the text
// longer than both the limit and what it was can overflow, so a text put in
// longer than the limit may still be shortened or edited in place.
std::optional<Overflow> overflow(const QString& before, const QString& after, qsizetype cursor, int maxLength)
{
    if (maxLength <= 0 || after.size() <= maxLength || after.size() <= before.size())
        return std::nullopt;
    qsizetype tail = after.size() - cursor;
    if (cursor < 0 || tail < 0 || tail > before.size() || !before.endsWith(QStringView(after).mid(cursor))) {
        // No cursor to go by: the untouched tail is what both end with.
        tail = 0;
        while (tail < before.size() && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
            ++tail;
    }
    const qsizetype headRoom = before.size() - tail;
    qsizetype head = 0;
    while (head < headRoom && before.at(head) == after.at(head))
        ++head;
    const qsizetype inserted = after.size() - tail - head;
    const qsizetype kept = before.size() - (headRoom - head);
    const qsizetype room = std::max<qsizetype>(0, maxLength - kept);
    if (inserted <= room)
        return std::nullopt;
    return Overflow{head + room, inserted - room};
}

// The line edit's own maximum length would cut text put in with setText, so
// the limit is a validator that sees every change the reader makes before
// the control takes it.
class LengthLimit final : public QValidator {
public:
    LengthLimit(const int& maxLength, const QString& before, QObject* parent)
        : QValidator(parent), m_maxLength(maxLength), m_before(before)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        const std::optional<Overflow> cut = overflow(m_before, input, pos, m_maxLength);
        if (!cut)
            return Acceptable;
        input.remove(cut->from, cut->count);
        pos = int(cut->from);
        // Nothing of it fits: refused, so the cursor and the undo history
        // stay as they were.
        return input == m_before ? Invalid : Acceptable;
    }

private:
    const int& m_maxLength;
    const QString& m_before;
};

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
    m_line->setValidator(new LengthLimit(m_limit.maxLength, m_limit.before, m_line));
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
    m_limit.maxLength = std::max(0, look.maxLength);
    applyLook(m_multiLine ? static_cast<QWidget*>(m_multi) : static_cast<QWidget*>(m_line), look);
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
    if (!m_line || !m_multi)
        return;
    if (text != this->text()) {
        // The validator takes the new text as it stands, whatever its length.
        m_limit.before = text;
        m_quiet = true;
        if (m_multiLine) {
            m_multi->setPlainText(text);
            m_multi->moveCursor(QTextCursor::End);
        } else {
            m_line->setText(text);
        }
        m_quiet = false;
    }
    m_limit.before = this->text();
}

void EditField::changed()
{
    if (m_quiet)
        return;
    // A plain-text edit has no length limit of its own: what was typed or
    // pasted past it is taken out again where it went in.
    if (m_multiLine) {
        QTextCursor cursor = m_multi->textCursor();
        const std::optional<Overflow> cut =
            overflow(m_limit.before, m_multi->toPlainText(), cursor.position(), m_limit.maxLength);
        if (cut) {
            m_quiet = true;
            cursor.setPosition(int(cut->from));
            cursor.setPosition(int(cut->from + cut->count), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            m_multi->setTextCursor(cursor);
            m_quiet = false;
            if (text() == m_limit.before)
                return;
        }
    }
    m_limit.before = text();
    if (onChange)
        onChange();
}

} // namespace lumeria
