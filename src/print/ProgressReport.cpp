#include "print/ProgressReport.h"

#include "popups/DialogFrame.h"
#include "popups/QueryForm.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace lumeria {

TProgressReport::TProgressReport(const Texts& texts, int maximum, QWidget* parent) : QDialog(parent), m_texts(texts)
{
    setWindowFlags(dialogWindowFlags());
    setWindowTitle(texts.applicationTitle);
    setFont(TQueryForm::dialogFont());
    setWindowModality(Qt::ApplicationModal);

    m_prompt = new QLabel(this);
    m_prompt->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* gaugePanel = new QFrame(this);
    gaugePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_gauge = new QProgressBar(gaugePanel);
    m_gauge->setRange(0, std::max(0, maximum));
    m_gauge->setValue(0);
    m_gauge->setTextVisible(false);
    QPalette maroon = m_gauge->palette();
    maroon.setColor(QPalette::Highlight, QColor(128, 0, 0));
    m_gauge->setPalette(maroon);
    auto* gaugeLayout = new QHBoxLayout(gaugePanel);
    gaugeLayout->addWidget(m_gauge);

    m_cancel = new QPushButton(texts.cancel, this);
    m_cancel->setFixedWidth(QFontMetrics(m_cancel->font()).horizontalAdvance(texts.cancel) + 16);
    connect(m_cancel, &QPushButton::clicked, this, &TProgressReport::askToCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(gaugePanel);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins margins = layout->contentsMargins();
    m_prompt->setMinimumWidth(
        std::max(260, widthForTitle(texts.applicationTitle, font()) - margins.left() - margins.right()));
}

void TProgressReport::setPrompt(const QString& text)
{
    m_prompt->setText(text);
}

void TProgressReport::advance(int lines)
{
    const int value = std::clamp(m_gauge->value() + std::max(0, lines), 0, m_gauge->maximum());
    m_gauge->setValue(value);
}

void TProgressReport::finish()
{
    m_finished = true;
    close();
}

void TProgressReport::reject()
{
    if (m_finished)
        QDialog::reject();
    else
        askToCancel();
}

void TProgressReport::askToCancel()
{
    TQueryForm question(m_texts.applicationTitle, m_texts.abortQuestion, {m_texts.yes, m_texts.no}, this);
    if (question.ask() == 1)
        m_cancelled = true;
}

} // namespace lumeria
