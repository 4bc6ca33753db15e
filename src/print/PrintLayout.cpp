#include "print/PrintLayout.h"

#include <algorithm>
#include <cstdint>

namespace lumeria {

namespace {

constexpr int kMinimumPercent = 5;
// Sizes past this are clamped: a scale typed as a long row of digits must
// not overflow, and nothing larger than this fits any paper anyway.
constexpr int64_t kLargestSide = 1 << 24;

int64_t roundedDivide(int64_t numerator, int64_t denominator)
{
    return (2 * numerator + denominator) / (2 * denominator);
}

int clampSide(int64_t side)
{
    return int(std::clamp<int64_t>(side, 0, kLargestSide));
}

} // namespace

int marginPixels(int hundredths, int dpi)
{
    return int(roundedDivide(int64_t(hundredths) * dpi, 100));
}

gdi::Rect printableArea(const PrinterMetrics& printer, const PrintMargins& margins, int textHeight, bool hasHeader,
                        bool hasFooter)
{
    const int leftMargin = marginPixels(margins.left, printer.dpiX);
    const int rightMargin = marginPixels(margins.right, printer.dpiX);
    int topMargin = marginPixels(margins.top, printer.dpiY);
    int bottomMargin = marginPixels(margins.bottom, printer.dpiY);
    if (hasHeader)
        topMargin = std::max(2 * textHeight, topMargin);
    if (hasFooter)
        bottomMargin = std::max(2 * textHeight, bottomMargin);

    gdi::Rect area{leftMargin, topMargin, printer.pageWidth - rightMargin, printer.pageHeight - bottomMargin};
    area.right = std::max(area.right, area.left + 2 * printer.dpiX);
    area.bottom = std::max(area.bottom, area.top + 2 * printer.dpiY);
    return area;
}

QString printTimeFormat(const QLocale& locale)
{
    const QString longFormat = locale.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    for (qsizetype i = 0; i < longFormat.size(); ++i) {
        const QChar c = longFormat[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            format += c;
            continue;
        }
        // The zone and the space that led to it.
        while (i + 1 < longFormat.size() && longFormat[i + 1] == QLatin1Char('t'))
            ++i;
        while (format.endsWith(QLatin1Char(' ')))
            format.chop(1);
    }
    format = format.trimmed();
    return format.isEmpty() ? QStringLiteral("HH:mm:ss") : format;
}

QString expandPrintCodes(const QString& text, const PrintCodeValues& values)
{
    // One pass from the left gives what replacing "&&" first and then each
    // code in turn gives: a code is two characters of the original text, so
    // a pair already taken (protected or replaced) can never form another.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('&') || i + 1 >= text.size()) {
            out.append(c);
            continue;
        }
        const QChar code = text[i + 1].toUpper();
        if (code == QLatin1Char('&'))
            out.append(QLatin1Char('&'));
        else if (code == QLatin1Char('F'))
            out.append(values.title);
        else if (code == QLatin1Char('P'))
            out.append(QString::number(values.page));
        else if (code == QLatin1Char('D'))
            out.append(values.date);
        else if (code == QLatin1Char('T'))
            out.append(values.time);
        else {
            out.append(c);
            continue;
        }
        ++i;
    }
    return out;
}

gdi::Rect fitPictureRect(QSize picture, const PrinterMetrics& printer)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    const int marginX = marginPixels(75, printer.dpiX);
    const int marginY = marginPixels(75, printer.dpiY);
    const int freeWidth = printer.pageWidth - 2 * marginX;
    const int freeHeight = printer.pageHeight - 2 * marginY;
    if (freeWidth <= 0 || freeHeight <= 0)
        return {};

    const int64_t pw = picture.width();
    const int64_t ph = picture.height();
    auto heightFor = [&](int64_t width) { return roundedDivide(width * ph, pw); };

    // Grown one pixel at a time, as the height is rounded from the width at
    // every step; the picture stays below the free height while it grows,
    // and is brought back within both sides when its own size is too big.
    int64_t width = pw;
    while (width + 1 <= freeWidth && heightFor(width + 1) < freeHeight)
        ++width;
    while (width > 1 && (width > freeWidth || heightFor(width) > freeHeight))
        --width;
    const int64_t height = std::max<int64_t>(1, std::min<int64_t>(heightFor(width), freeHeight));

    const int left = marginX + int((freeWidth - width) / 2);
    const int top = marginY + int((freeHeight - height) / 2);
    return {left, top, left + int(width), top + int(height)};
}

gdi::Rect scalePictureRect(QSize picture, int percent, const PrinterMetrics& printer)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    const int64_t scale = std::max(percent, kMinimumPercent);
    const int width = clampSide(roundedDivide(int64_t(picture.width()) * scale, 100));
    const int height = clampSide(roundedDivide(int64_t(picture.height()) * scale, 100));
    const int left = std::max(0, (printer.pageWidth - width) / 2);
    const int top = std::max(0, (printer.pageHeight - height) / 2);
    return {left, top, left + width, top + height};
}

} // namespace lumeria
