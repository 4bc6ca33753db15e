#include "text/windows/FloatingWindowForm.h"

#include "container/ByteSource.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"
#include "text/AnchorSearch.h"
#include "text/TextPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSizeGrip>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace lumeria {

namespace {

// The classic scheme's window and window-text colours.
constexpr gdi::ColorRef kWindow = gdi::rgb(255, 255, 255);
constexpr gdi::ColorRef kWindowText = gdi::rgb(0, 0, 0);

Qt::WindowFlags floatingFlags()
{
    return Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::WindowMinimizeButtonHint;
}

} // namespace

TFloatingWindowForm::TFloatingWindowForm(QWidget* owner, const QString& title, const gdi::Font& font, LaidOutText text,
                                         Actions actions)
    : QWidget(owner, floatingFlags()), m_kind(Kind::Text), m_font(font), m_text(std::move(text)),
      m_actions(std::move(actions))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setFont(font.qfont());
    m_paintBox = new QWidget(this);
    m_paintBox->setAttribute(Qt::WA_OpaquePaintEvent);
    m_paintBox->setMouseTracking(true);
    m_paintBox->installEventFilter(this);
    m_vertical = new QScrollBar(Qt::Vertical, this);
    m_horizontal = new QScrollBar(Qt::Horizontal, this);
    m_horizontal->setSingleStep(8);
    m_sizeBox = new QSizeGrip(this);
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int value) {
        m_firstLine = value;
        m_paintBox->update();
    });
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this](int value) {
        m_offset = value;
        m_paintBox->update();
    });
}

TFloatingWindowForm::TFloatingWindowForm(QWidget* owner, const QString& title, DecodedPicture picture)
    : QWidget(owner, floatingFlags()), m_kind(Kind::Image), m_picture(std::move(picture))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    m_paintBox = new QWidget(this);
    m_paintBox->setAttribute(Qt::WA_OpaquePaintEvent);
    m_paintBox->installEventFilter(this);
    m_paintBox->resize(m_picture.image.size());
}

void TFloatingWindowForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOutChildren();
}

void TFloatingWindowForm::layOutChildren()
{
    if (m_kind == Kind::Image)
        return;
    const int w = std::max(0, width() - kScrollBarWidth);
    const int h = std::max(0, height() - kScrollBarWidth);
    // The sideways bar is there only while a line is wider than the window;
    // without it the text takes the bottom strip as well, and the size box
    // keeps its corner below the vertical bar.
    const bool sideways = m_text.widestLine + kTextMargin > w;
    m_paintBox->setGeometry(0, 0, w, sideways ? h : height());
    m_vertical->setGeometry(w, 0, kScrollBarWidth, h);
    m_horizontal->setGeometry(0, h, w, kScrollBarWidth);
    m_horizontal->setVisible(sideways);
    m_sizeBox->setGeometry(w, h, kScrollBarWidth, kScrollBarWidth);
    updateBars();
}

void TFloatingWindowForm::wheel(const QWheelEvent& wheel)
{
    const int lines = wheelScrollLines();
    const auto steps = [&](QScrollBar* bar, int notches) {
        // Away from the reader moves towards the start, a step a line.
        const auto action = notches > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd;
        for (int i = std::abs(notches) * lines; i > 0; --i)
            bar->triggerAction(action);
    };
    steps(m_vertical, m_wheelVertical.add(wheel.angleDelta().y()));
    const int sideways = m_wheelHorizontal.add(wheel.angleDelta().x());
    if (m_horizontal->isVisible())
        steps(m_horizontal, sideways);
}

void TFloatingWindowForm::updateBars()
{
    const int lineHeight = std::max(1, m_text.lineHeight);
    const int page = std::max(1, m_paintBox->height() / lineHeight);
    m_vertical->setRange(0, std::max(0, m_text.lineCount - page + 1));
    m_vertical->setPageStep(std::max(1, m_linesPerPage));
    m_vertical->setSingleStep(1);
    const int boxWidth = m_paintBox->width();
    m_horizontal->setRange(0, std::max(0, m_text.widestLine - boxWidth + kTextMargin));
    m_horizontal->setPageStep(std::max(1, boxWidth));
}

void TFloatingWindowForm::scrollToLine(int line)
{
    if (m_vertical)
        m_vertical->setValue(line);
}

void TFloatingWindowForm::flashLine(int line)
{
    if (m_kind != Kind::Text || line < m_firstLine)
        return;
    const int height = std::max(1, m_text.lineHeight);
    const QRect band(0, (line - m_firstLine) * height, m_paintBox->width(), height);
    for (int i = 0; i < 8; ++i) {
        m_inverted = m_inverted.isNull() ? band : QRect();
        m_paintBox->repaint();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_inverted = QRect();
    m_paintBox->update();
}

const text::HyperLink_Rec* TFloatingWindowForm::linkAt(QPoint point) const
{
    return text::linkAt(m_links, point.x(), point.y());
}

void TFloatingWindowForm::follow(const QString& target)
{
    if (!target.startsWith(QLatin1Char(':'))) {
        if (m_actions.runScript)
            m_actions.runScript(target);
        return;
    }
    FileSource laidOut(m_text.file);
    if (const std::optional<int> line = text::findAnchor(laidOut, target)) {
        scrollToLine(*line);
        return;
    }
    if (m_actions.beep)
        m_actions.beep();
}

bool TFloatingWindowForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_paintBox)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter painter(m_paintBox);
        if (m_kind == Kind::Image) {
            painter.fillRect(m_paintBox->rect(), Qt::white);
            painter.drawImage(QPoint(0, 0), m_picture.image);
        } else {
            paintText(painter);
        }
        return true;
    }
    case QEvent::MouseMove:
        if (m_kind == Kind::Text) {
            const auto* move = static_cast<QMouseEvent*>(event);
            m_paintBox->setCursor(linkAt(move->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
        return false;
    case QEvent::Wheel:
        if (m_kind != Kind::Text)
            return false;
        wheel(*static_cast<QWheelEvent*>(event));
        return true;
    case QEvent::MouseButtonPress:
        if (m_kind == Kind::Text) {
            const auto* press = static_cast<QMouseEvent*>(event);
            if (press->button() == Qt::LeftButton) {
                if (const text::HyperLink_Rec* link = linkAt(press->position().toPoint())) {
                    // The script may close this window: keep the target.
                    const QString target = link->target;
                    follow(target);
                    return true;
                }
            }
        }
        return false;
    default: return false;
    }
}

void TFloatingWindowForm::paintText(QPainter& painter)
{
    const QSize size = m_paintBox->size();
    if (size.isEmpty())
        return;
    gdi::Surface surface(size.width(), size.height(), kWindow);
    gdi::Canvas canvas(surface.view());
    canvas.setFont(m_font);
    FileSource laidOut(m_text.file);
    text::TextPaintRequest request;
    request.rect = surface.rect();
    request.options = text::paintoption::kFreeLinks;
    request.firstLine = m_firstLine;
    request.offset = m_offset;
    request.background = kWindow;
    request.textColour = kWindowText;
    const text::TextPaintResult painted = text::paintFormattedText(canvas, laidOut, request, m_links, m_recordLength);
    const int shown = std::max(1, painted.linesShown);
    if (shown != m_linesPerPage) {
        m_linesPerPage = shown;
        m_vertical->setPageStep(shown);
    }
    painter.drawImage(QPoint(0, 0), surface.image());
    if (!m_inverted.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(m_inverted, Qt::white);
    }
}

} // namespace lumeria
