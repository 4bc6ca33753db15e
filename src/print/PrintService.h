#pragma once

#include "container/ByteSource.h"
#include "document/Settings.h"
#include "document/TextWrap.h"
#include "script/ScriptEngine.h"
#include "script/ScriptHost.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace lumeria {

class Container;
class Document;
class PageRenderer;

// Opens a file a script names; nullptr when there is none.
using PrintFileOpener = std::function<std::unique_ptr<ByteSource>(const QString& name)>;

// What a print job takes from the window that owns the run.
struct PrintContext {
    // Parent of the print dialog and the progress window; may be null.
    QWidget* window = nullptr;
    // Caption of the progress window and of the question Cancel asks.
    QString applicationTitle;
    // The publication's interface strings: L_PAGEPROMPT, L_CANCEL,
    // L_ABORTFUNCTION, L_YES, L_NO. Read at every job, so it must outlive
    // the service.
    const LanguageElementArray* strings = nullptr;
    // The named page painted off screen at the page size; the window falls
    // back to the current page for a name that matches none (see
    // renderPageForPrint) and leaves its screen and current page alone.
    std::function<QImage(const QString& pageName)> renderPage;
    // Files named by PrintTextFile, PrintDataFile (see publicationFileOpener).
    PrintFileOpener openFile;
    // Pictures named by PrintImageFile, decoded; nothing when one does not load.
    std::function<std::optional<QImage>(const QString& name)> loadPicture;
    // The font SetFont chose last; "Arial" 9 points when empty.
    std::function<ScriptFont()> scriptFont;
    // The /B switch: no print dialog, the current printer as it is.
    bool skipPrintDialog = false;
    // --print-to: every job writes this PDF file, without a dialog.
    QString pdfTarget;
    // Where laid-out text files are made; empty for the system's.
    QString temporaryFolder;
};

// How a job ended, for callers that want to tell the reader more than the
// job itself does (it shows nothing when the device fails).
enum class PrintOutcome {
    Printed,
    Cancelled,      // the reader stopped it in the progress window; what was printed stays
    Refused,        // the reader cancelled the print dialog
    NothingToPrint, // the picture or page image did not load
    DeviceFailed,   // the printer or the PDF file could not start a document
    Busy,           // asked for while another job was printing (from a script run meanwhile); ignored
};

// The four print commands. Each call runs one whole job and returns when
// the document has ended: it may show the print dialog and, for text and
// data files, a progress window, and it lets window messages run while
// pages print; a print command that arrives meanwhile (a timer's script)
// returns Busy at once and prints nothing.
class PrintService {
public:
    explicit PrintService(PrintContext context);
    ~PrintService();
    PrintService(const PrintService&) = delete;
    PrintService& operator=(const PrintService&) = delete;

    // PrintPage: the page image from renderPage, as large as the paper
    // allows inside margins of three quarters of an inch, centred.
    PrintOutcome printPage(const QString& pageName);

    // PrintTextFile and PrintDataFile. Text files are laid out by the
    // article text engine to the printable width (word wrap as asked) and
    // printed in their formatted form; data files print one line of the file
    // per printed line. A file that cannot be opened prints one page with
    // its header and footer. Header and footer take &F (the file name as
    // given), &P, &D, &T and && for one "&".
    PrintOutcome printFile(const QString& header, const QString& footer, const QString& file, TextWrap wrap,
                           PrintMode mode);

    // PrintImageFile: the picture at percent of its size (5 at least),
    // centred on the page.
    PrintOutcome printImageFile(const QString& file, int percent);

    // The progress window of the job running now, for tests and automation.
    class TProgressReport* progressWindow() const { return m_progress; }

private:
    // Print setup: the printer the next job goes to, or nullptr when the
    // reader cancels the dialog.
    QPrinter* setUpPrinter();
    // One job at a time: the print setup, then the job on the printer.
    PrintOutcome runJob(const std::function<PrintOutcome(QPrinter* printer)>& job);
    PrintOutcome printPicture(QPrinter& printer, const QImage& picture, const QString& title,
                              std::optional<int> percent);
    QString string(LanguageElement element) const;

    PrintContext m_context;
    std::unique_ptr<QPrinter> m_printer;
    class TProgressReport* m_progress = nullptr;
    bool m_busy = false;
};

// What PrintPage prints: the named page, compared without regard to case,
// or the current page when no page has that name; rendered off screen, so
// the current page stays current and the screen is not touched. Null when
// there is no page at all.
QImage renderPageForPrint(const Document& document, const PageRenderer& renderer, const QString& pageName);

// The usual opener for print files: a name is looked up in the container
// without its folder, then on disk the way script file arguments are
// resolved (backslashes, drive letters, case-insensitive components, the
// publication's folder for a bare name).
PrintFileOpener publicationFileOpener(const Container* container, QString programFolder);

} // namespace lumeria
