#pragma once

#include "platform/gdi/Rect.h"

#include <QLocale>
#include <QSize>
#include <QString>

namespace lumeria {

// What the job needs to know about the paper: the printable page in
// printer pixels and the resolution in pixels per inch.
struct PrinterMetrics {
    int pageWidth = 0;
    int pageHeight = 0;
    int dpiX = 96;
    int dpiY = 96;
};

// Margins in hundredths of an inch, so that the conversion to printer
// pixels stays in integers; every job starts at three quarters of an inch.
struct PrintMargins {
    int left = 75;
    int top = 75;
    int right = 75;
    int bottom = 75;
};

// Hundredths of an inch to printer pixels, rounded half up.
int marginPixels(int hundredths, int dpi);

// The rectangle text may go into. A header keeps two text heights above
// the first line and a footer two below the last, whatever the margins say,
// and the area is never narrower or shorter than two inches, even on paper
// too small for it.
gdi::Rect printableArea(const PrinterMetrics& printer, const PrintMargins& margins, int textHeight, bool hasHeader,
                        bool hasFooter);

// The values a header or footer may ask for.
struct PrintCodeValues {
    QString title;
    int page = 0;
    QString date;
    QString time;
};

// The time format a locale's system uses for times with seconds, as &T
// prints them: its long format without the time zone Qt adds to it.
QString printTimeFormat(const QLocale& locale);

// Replaces &F, &P, &D and &T (any case) and turns "&&" into one "&". Text
// put in for a code is never searched again, and any length is taken.
QString expandPrintCodes(const QString& text, const PrintCodeValues& values);

// A page image made as large as the paper allows inside margins of three
// quarters of an inch, keeping its proportions, and centred there. Empty
// when the picture or the free area has no size.
gdi::Rect fitPictureRect(QSize picture, const PrinterMetrics& printer);

// A picture at a percentage of its size (never below 5), centred on the
// page but never starting left of or above the page's origin.
gdi::Rect scalePictureRect(QSize picture, int percent, const PrinterMetrics& printer);

} // namespace lumeria
