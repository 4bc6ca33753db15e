#pragma once

#include "platform/gdi/Font.h"
#include "platform/gdi/Rect.h"
#include "print/PrintLayout.h"

#include <QPainter>
#include <QString>

class QImage;
class QPrinter;

namespace lumeria {

// One print job on one printer: the spooler document, its margins, header
// and footer, the printable rectangle and the page counter.
//
// Everything is measured in printer pixels of a fixed 96 per inch, whatever
// the device's own resolution: the painter is scaled to the device, so the
// fonts and the article engine keep the sizes they have on screen and a
// printed line measures what it measures in an article.
class TPrinterOptions {
public:
    static constexpr int kPrinterDpi = 96;

    TPrinterOptions(QPrinter& printer, QString title, QString header = {}, QString footer = {});
    ~TPrinterOptions();
    TPrinterOptions(const TPrinterOptions&) = delete;
    TPrinterOptions& operator=(const TPrinterOptions&) = delete;

    // The print font, in black on a clear background; it sets the text
    // height the header, footer and printable area are laid out with.
    void setFont(const gdi::Font& font);

    // Takes the date and time, hands the upper-cased title to the spooler,
    // starts the document and lays out the page. False when the device
    // cannot start (no printer, a PDF file that cannot be written).
    bool beginDocument();
    // Ends the page before (with its footer) unless this is the first one,
    // then starts the page with its header.
    void beginPage();
    // The last footer, then the end of the document.
    void endDocument();

    QPainter& painter() { return m_painter; }
    const PrinterMetrics& metrics() const { return m_metrics; }
    const gdi::Rect& printable() const { return m_printable; }
    int textHeight() const { return m_textHeight; }
    int pageNumber() const { return m_page; }
    QString expand(const QString& text) const;

    // A picture stretched into a rectangle of printer pixels.
    void drawImage(const gdi::Rect& target, const QImage& image);

    PrintMargins margins;
    int currentX = 0;
    int currentY = 0;

private:
    void drawBand(int top, const QString& text);

    QPrinter& m_printer;
    QPainter m_painter;
    QString m_date;
    QString m_time;
    QString m_title;
    QString m_header;
    QString m_footer;
    gdi::Font m_font;
    int m_textHeight = 0;
    PrinterMetrics m_metrics;
    gdi::Rect m_printable;
    int m_page = 0;
    bool m_open = false;
};

} // namespace lumeria
