#include "print/PrintService.h"

#include "container/Container.h"
#include "document/Document.h"
#include "platform/Codepage.h"
#include "platform/WindowsPath.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Surface.h"
#include "popups/QueryForm.h"
#include "print/PrintSetupDialog.h"
#include "print/PrinterOptions.h"
#include "print/ProgressReport.h"
#include "render/PageRenderer.h"
#include "render/TextBlock.h"
#include "text/TextLayout.h"
#include "text/TextPainter.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTimer>

#include <algorithm>
#include <array>
#include <limits>

namespace lumeria {

namespace {

// How long the finished gauge stays up before the window closes, so a
// one-page job does not just flash by.
constexpr int kClosingPauseMs = 500;

// A source that answers a first read: a missing container entry or a file
// that would not open reads as a negative count.
std::unique_ptr<ByteSource> readable(std::unique_ptr<ByteSource> source)
{
    if (!source)
        return nullptr;
    std::array<std::byte, 1> probe{};
    return source->readAt(0, probe) < 0 ? nullptr : std::move(source);
}

// The lines of a data file as a program reading it line by line sees them:
// CR LF or a lone LF ends a line, and a last line needs no ending.
QStringList readDataLines(ByteSource& source)
{
    QByteArray bytes;
    std::array<std::byte, 65536> chunk{};
    for (int64_t position = 0;;) {
        const int64_t got = source.readAt(position, chunk);
        if (got <= 0)
            break;
        bytes.append(reinterpret_cast<const char*>(chunk.data()), qsizetype(got));
        position += got;
    }
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        lines.append(activeCodepage().decode(bytes.mid(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

// Marks the service busy for the length of a job. While pages print, window
// messages run, and a timer or a click there can run a script that prints:
// that job must not start on the printer the running one is drawing on.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyGuard() { m_busy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_busy;
};

void pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QColor qtColour(gdi::ColorRef colour)
{
    return QColor::fromRgb(gdi::pixelFromColour(colour));
}

// The paper: runs are drawn as text by the printer's own painter, at the
// device's resolution, and stay text in the printed document. The painter
// is scaled from the job's 96 pixels an inch, so every run lands where the
// article engine measured it on screen.
class PaperTarget final : public text::TextTarget {
public:
    PaperTarget(QPainter& painter, const gdi::Rect& area) : m_painter(painter), m_area(area) {}

    bool shows(const gdi::Rect& r) const override { return !r.intersected(m_area).isEmpty(); }

    void drawRun(QPoint at, const QString& text, const text::TextFonts::Entry& font, int width, gdi::ColorRef colour,
                 std::optional<gdi::ColorRef> background) override
    {
        if (background)
            m_painter.fillRect(QRect(at.x(), at.y() - font.ascent, width, font.height), qtColour(*background));
        m_painter.setFont(font.font.qfont());
        m_painter.setPen(qtColour(colour));
        m_painter.drawText(at, text);
    }

    void drawLinkBand(const gdi::Rect& area, gdi::ColorRef background) override
    {
        // Half the band's dots in the background's complement, as on screen.
        m_painter.fillRect(QRect(area.left, area.top, area.width(), area.height()),
                           QBrush(qtColour(background ^ 0xFFFFFFu), Qt::Dense4Pattern));
    }

private:
    QPainter& m_painter;
    gdi::Rect m_area;
};

// One page of a laid-out text, drawn by the article engine onto the paper
// inside the printable area. Returns the lines it used up.
int printTextPage(TPrinterOptions& job, const gdi::Font& font, ByteSource& laidOut, int firstLine, int lineCount,
                  int& recordLength)
{
    const gdi::Rect& area = job.printable();
    if (area.isEmpty())
        return lineCount - firstLine;
    QPainter& painter = job.painter();
    painter.save();
    painter.setClipRect(QRect(area.left, area.top, area.width(), area.height()));
    painter.setBackgroundMode(Qt::TransparentMode);
    PaperTarget paper(painter, area);
    text::HyperLinkList links;
    text::TextPaintRequest request;
    request.rect = area;
    request.options = text::paintoption::kWholeLinesOnly;
    request.firstLine = firstLine;
    request.background = gdi::rgb(255, 255, 255);
    request.textColour = gdi::rgb(0, 0, 0);
    int used = text::paintFormattedText(paper, font, laidOut, request, links, recordLength).linesShown;
    if (used <= 0) {
        // A line taller than the whole area: print the part of it that fits
        // and go on, or the job would never reach its end.
        request.options = 0;
        text::paintFormattedText(paper, font, laidOut, request, links, recordLength);
        used = 1;
    }
    painter.restore();
    return std::min(used, lineCount - firstLine);
}

// One page of a data file, one file line to a printed line, drawn as text
// so that the printed document keeps it as text.
int printDataPage(TPrinterOptions& job, const QStringList& lines, int firstLine)
{
    const gdi::Rect& area = job.printable();
    const int lineHeight = std::max(1, job.textHeight());
    const int perPage = std::max(1, area.height() / lineHeight);
    const int count = std::min<int>(perPage, int(lines.size()) - firstLine);
    QPainter& painter = job.painter();
    painter.save();
    painter.setClipRect(QRect(area.left, area.top, area.width(), area.height()));
    for (int i = 0; i < count; ++i) {
        const QRect line(area.left, area.top + i * lineHeight, area.width(), lineHeight);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         lines[firstLine + i]);
    }
    painter.restore();
    job.currentY = area.top + count * lineHeight;
    return count;
}

} // namespace

PrintService::PrintService(PrintContext context) : m_context(std::move(context)) {}

PrintService::~PrintService() = default;

QString PrintService::string(LanguageElement element) const
{
    return m_context.strings ? m_context.strings->caption(element) : LanguageElementArray().caption(element);
}

PrintOutcome PrintService::runJob(const std::function<PrintOutcome(QPrinter* printer)>& job)
{
    // Pages print with events running, so a script may ask for another job
    // meanwhile; it would take the printer from under this one.
    if (m_busy)
        return PrintOutcome::Busy;
    const BusyGuard busy(m_busy);
    QPrinter* printer = setUpPrinter();
    if (!printer)
        return PrintOutcome::Refused;
    return job(printer);
}

QPrinter* PrintService::setUpPrinter()
{
    if (!m_context.pdfTarget.isEmpty()) {
        // Every job starts the file again: the file holds the last job.
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_context.pdfTarget);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
        m_printer->setPageOrientation(QPageLayout::Portrait);
        m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        return m_printer.get();
    }
    // The printer chosen in a dialog stays the current one for later jobs.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_context.skipPrintDialog)
        return m_printer.get();
    m_printer->setCopyCount(1);
    TPrintSetupDialog dialog(*m_printer, m_context.window);
    // Where every box is answered without a reader (automation, no display),
    // the print dialog is answered the same way: the first button prints,
    // anything else is the reader closing it.
    if (const std::optional<int> answer =
            TQueryForm::answerFor(dialog.windowTitle(), QString(), {QStringLiteral("OK"), QStringLiteral("Cancel")}))
        return *answer == 1 ? m_printer.get() : nullptr;
    return dialog.exec() == QDialog::Accepted ? m_printer.get() : nullptr;
}

PrintOutcome PrintService::printFile(const QString& header, const QString& footer, const QString& file, TextWrap wrap,
                                     PrintMode mode)
{
    return runJob([&](QPrinter* printer) {
        const ScriptFont chosen = m_context.scriptFont ? m_context.scriptFont() : ScriptFont{};
        // A size of 0 (SetFont given no digits) prints at the default size,
        // not at a fraction of a point nobody can read.
        const gdi::Font font = objectFont(chosen.name, chosen.size > 0 ? chosen.size : ScriptFont{}.size, chosen.style);
        TPrinterOptions job(*printer, file, header, footer);
        job.setFont(font);
        if (!job.beginDocument())
            return PrintOutcome::DeviceFailed;

        auto open = [&](const QString& name) {
            return readable(m_context.openFile ? m_context.openFile(name) : nullptr);
        };
        int lineCount = 0;
        QStringList dataLines;
        QString laidOutPath;
        std::unique_ptr<FileSource> laidOut;
        if (mode == PrintMode::Text) {
            // The formatted companion is what the engine lays out; a file that
            // has none (one a script wrote) is laid out from its own text.
            std::unique_ptr<ByteSource> source = open(file + QStringLiteral(".V"));
            if (!source)
                source = open(file);
            if (source) {
                text::LayoutRequest request;
                request.width = job.printable().width();
                request.wordWrap = wrap == TextWrap::Word;
                request.temporaryFolder = m_context.temporaryFolder;
                Result<text::LayoutResult> laid = text::layOutText(font, *source, request);
                if (laid) {
                    laidOutPath = laid->output;
                    laidOut = std::make_unique<FileSource>(laidOutPath);
                    lineCount = laidOut->openError() == 0 ? laid->lineCount : 0;
                }
            }
        } else if (std::unique_ptr<ByteSource> source = open(file)) {
            dataLines = readDataLines(*source);
            lineCount = int(std::min<qsizetype>(dataLines.size(), std::numeric_limits<int>::max()));
        }

        TProgressReport progress({m_context.applicationTitle, string(LanguageElement::L_CANCEL),
                                  string(LanguageElement::L_ABORTFUNCTION), string(LanguageElement::L_YES),
                                  string(LanguageElement::L_NO)},
                                 lineCount, m_context.window);
        m_progress = &progress;
        progress.show();

        int recordLength = 0;
        int line = 0;
        do {
            job.beginPage();
            int used = 0;
            if (line < lineCount) {
                used = mode == PrintMode::Text ? printTextPage(job, font, *laidOut, line, lineCount, recordLength)
                                               : printDataPage(job, dataLines, line);
            }
            line += used;
            progress.advance(used);
            progress.setPrompt(string(LanguageElement::L_PAGEPROMPT) + QString::number(job.pageNumber()));
            QCoreApplication::processEvents();
        } while (line < lineCount && !progress.cancelled());

        pause(kClosingPauseMs);
        progress.finish();
        m_progress = nullptr;
        laidOut.reset();
        if (!laidOutPath.isEmpty())
            QFile::remove(laidOutPath);
        job.endDocument();
        return progress.cancelled() ? PrintOutcome::Cancelled : PrintOutcome::Printed;
    });
}

PrintOutcome PrintService::printImageFile(const QString& file, int percent)
{
    return runJob([&](QPrinter* printer) {
        std::optional<QImage> picture = m_context.loadPicture ? m_context.loadPicture(file) : std::nullopt;
        if (!picture || picture->isNull())
            return PrintOutcome::NothingToPrint;
        return printPicture(*printer, *picture, file, percent);
    });
}

PrintOutcome PrintService::printPage(const QString& pageName)
{
    return runJob([&](QPrinter* printer) {
        const QImage page = m_context.renderPage ? m_context.renderPage(pageName) : QImage();
        if (page.isNull())
            return PrintOutcome::NothingToPrint;
        return printPicture(*printer, page, pageName, std::nullopt);
    });
}

PrintOutcome PrintService::printPicture(QPrinter& printer, const QImage& picture, const QString& title,
                                        std::optional<int> percent)
{
    // A picture prints once, whatever copies the dialog chose for an earlier
    // text job on this printer.
    printer.setCopyCount(1);
    TPrinterOptions job(printer, title);
    if (!job.beginDocument())
        return PrintOutcome::DeviceFailed;
    const gdi::Rect target = percent ? scalePictureRect(picture.size(), *percent, job.metrics())
                                     : fitPictureRect(picture.size(), job.metrics());
    job.drawImage(target, picture);
    job.endDocument();
    return PrintOutcome::Printed;
}

QImage renderPageForPrint(const Document& document, const PageRenderer& renderer, const QString& pageName)
{
    const Page_Rec* current = document.currentPage();
    const Page_Rec* page = document.findPage(pageName);
    if (!page)
        page = current;
    if (!page)
        return {};
    gdi::Surface surface = renderer.renderOffScreen(*page);
    if (surface.width() == 0 || surface.height() == 0)
        return {};
    return surface.image().copy();
}

PrintFileOpener publicationFileOpener(const Container* container, QString programFolder)
{
    // The disk comes first: a file a script has just written must print as
    // written, while files that only travel in the container still print.
    return [container, folder = std::move(programFolder)](const QString& name) -> std::unique_ptr<ByteSource> {
        const QString path = resolveWindowsPath(name, folder);
        if (QFileInfo(path).isFile()) {
            auto file = std::make_unique<FileSource>(path);
            if (file->openError() == 0)
                return file;
        }
        if (container && container->find(name))
            return std::make_unique<EntrySource>(*container, name);
        return nullptr;
    };
}

} // namespace lumeria
