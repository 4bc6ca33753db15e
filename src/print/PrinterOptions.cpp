#include "print/PrinterOptions.h"

#include "print/PrintLayout.h"

#include "script/LocaleCache.h"

#include <QDate>
#include <QImage>
#include <QPrinter>
#include <QTime>

namespace lumeria {

TPrinterOptions::TPrinterOptions(QPrinter& printer, QString title, QString header, QString footer)
    : m_printer(printer), m_title(std::move(title)), m_header(std::move(header)), m_footer(std::move(footer))
{
    setFont(gdi::Font::fromPoints(QStringLiteral("Arial"), 9));
}

TPrinterOptions::~TPrinterOptions()
{
    if (m_open)
        m_painter.end();
}

void TPrinterOptions::setFont(const gdi::Font& font)
{
    m_font = font;
    m_textHeight = font.height();
    if (m_open) {
        m_painter.setFont(m_font.qfont());
        m_painter.setPen(Qt::black);
        m_painter.setBrush(Qt::NoBrush);
        m_painter.setBackgroundMode(Qt::TransparentMode);
    }
}

bool TPrinterOptions::beginDocument()
{
    m_date = systemLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    m_time = systemLocale().toString(QTime::currentTime(), printTimeFormat(systemLocale()));
    m_printer.setDocName(m_title.toUpper());
    if (!m_painter.begin(&m_printer))
        return false;
    m_open = true;

    // The painter starts at the top-left of the printable part of the paper,
    // which is what the job calls its page.
    const QRect page = m_printer.pageLayout().paintRectPixels(kPrinterDpi);
    m_metrics = {page.width(), page.height(), kPrinterDpi, kPrinterDpi};
    const int deviceDpi = m_printer.resolution();
    if (deviceDpi > 0)
        m_painter.scale(double(deviceDpi) / kPrinterDpi, double(deviceDpi) / kPrinterDpi);
    setFont(m_font);

    m_printable = printableArea(m_metrics, margins, m_textHeight, !m_header.isEmpty(), !m_footer.isEmpty());
    currentX = m_printable.left;
    currentY = m_printable.top;
    return true;
}

void TPrinterOptions::beginPage()
{
    if (!m_open)
        return;
    if (m_page > 0) {
        drawBand(m_metrics.pageHeight - m_textHeight, m_footer);
        m_printer.newPage();
    }
    ++m_page;
    currentX = m_printable.left;
    currentY = m_printable.top;
    drawBand(0, m_header);
}

void TPrinterOptions::endDocument()
{
    if (!m_open)
        return;
    if (m_page == 0)
        m_page = 1;
    drawBand(m_metrics.pageHeight - m_textHeight, m_footer);
    m_painter.end();
    m_open = false;
}

QString TPrinterOptions::expand(const QString& text) const
{
    return expandPrintCodes(text, {m_title, m_page, m_date, m_time});
}

void TPrinterOptions::drawBand(int top, const QString& text)
{
    if (text.isEmpty())
        return;
    // A single line, centred between the margins; QPainter draws '&' as it
    // stands, which is what a header asks for once its codes are replaced.
    const QRect band(m_printable.left, top, m_printable.width(), m_textHeight);
    m_painter.drawText(band, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, expand(text));
}

void TPrinterOptions::drawImage(const gdi::Rect& target, const QImage& image)
{
    if (!m_open || target.isEmpty() || image.isNull())
        return;
    m_painter.drawImage(QRect(target.left, target.top, target.width(), target.height()), image);
}

} // namespace lumeria
