#include "app/PlayerSession.h"

#include "container/PublicationFinder.h"
#include "container/TextSource.h"
#include "document/Parser.h"
#include "platform/FileIo.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "platform/WindowsPath.h"
#include "platform/gdi/Canvas.h"
#include "render/PageRenderer.h"
#include "script/Substitution.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace lumeria {

namespace {

const QString kResourcesMessage = QStringLiteral("Impossible d'accéder aux données ressources");

// Built-in names while a page is exported: no script has run, so only the
// page itself and the clock have values.
class ExportBuiltins : public BuiltinValues {
public:
    ExportBuiltins(const Document& document, const Page_Rec* const& page) : m_document(document), m_page(page) {}
    QString pageTitle() const override { return m_page ? m_page->Name : QString(); }
    QString pageNumber() const override { return m_page ? QString::number(m_document.pageNumber(m_page)) : QString(); }

private:
    const Document& m_document;
    const Page_Rec* const& m_page;
};

// The page is drawn into a backbuffer of its design size, and a change of
// page draws the next one beside it: a design size no screen ever had would
// ask for gigabytes and leave the window blank. Sixteen megapixels is four
// times the largest screens of their time and 64 MiB a buffer.
constexpr int kMaxPageSide = 16384;
constexpr int64_t kMaxPagePixels = int64_t(16) * 1024 * 1024;

} // namespace

QSize boundedPageSize(QSize design)
{
    int width = std::clamp(design.width(), 1, kMaxPageSide);
    int height = std::clamp(design.height(), 1, kMaxPageSide);
    const int64_t pixels = int64_t(width) * height;
    if (pixels > kMaxPagePixels) {
        // Both sides shrink alike, so the page keeps its shape and its top
        // left, where the objects of a real page lie, stays shown.
        const double scale = std::sqrt(double(kMaxPagePixels) / double(pixels));
        width = std::max(1, int(width * scale));
        height = std::max(1, int(height * scale));
        while (int64_t(width) * height > kMaxPagePixels)
            --height;
    }
    return {width, height};
}

QStringList bundledTourPlaces()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList places{QDir::cleanPath(program + QStringLiteral("/../share/lumeria/tour.lum"))};
    for (const QString& found :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("lumeria/tour.lum")))
        places << QDir::cleanPath(found);
    places << QDir::cleanPath(program + QStringLiteral("/tour.lum"));
    places.removeDuplicates();
    return places;
}

QString findBundledTour()
{
    for (const QString& place : bundledTourPlaces()) {
        if (QFileInfo(place).isFile())
            return place;
    }
    return {};
}

PlayerSession::PlayerSession(media::MediaOptions mediaOptions)
    : m_media(std::make_unique<media::MediaManager>(std::move(mediaOptions)))
{
    m_context.loadPicture = [this](const QString& name) { return picture(name); };
    m_context.recordedPictureSize = [this](const QString& name) -> std::optional<QSize> {
        if (!m_container)
            return std::nullopt;
        const auto size = m_container->pictureSize(name);
        return size ? std::optional<QSize>(QSize(size->width, size->height)) : std::nullopt;
    };
}

namespace {

// tried: the file whose container was opened, or the last one tried.
Result<std::unique_ptr<Container>> openPublicationContainer(const QString& publicationPath, QString* tried = nullptr,
                                                            bool* notAContainer = nullptr)
{
    if (tried)
        *tried = publicationPath;
    if (!publicationPath.isEmpty())
        return openPublicationFile(publicationPath, notAContainer);
    Result<std::unique_ptr<Container>> opened = Container::openOwnExecutable();
    // A player without a publication of its own plays its tour. One that
    // carries a container keeps it even without RUNTIME.PUB: its reader must
    // learn that the publication is damaged, not be shown something else.
    if (opened) {
        if (tried)
            *tried = opened.value()->filePath();
        return opened;
    }
    // Without a tour anywhere, the place an installed player keeps it is the
    // one named as missing.
    QString tour = findBundledTour();
    if (tour.isEmpty())
        tour = bundledTourPlaces().front();
    if (tried)
        *tried = tour;
    return Container::open(tour, notAContainer);
}

// What the box says after the resources heading when the file opened holds
// no publication: a disk-read error would send the reader looking for a
// damaged disc. The one-line reason names no file, its line does.
QString notAPublicationText(const QString& path, bool named)
{
    const QFileInfo info(path);
    const QString name = QStringLiteral("« %1 »").arg(info.fileName().isEmpty() ? path : info.fileName());
    if (info.isDir())
        return named ? name + QStringLiteral(" est un dossier, pas une publication.")
                     : QStringLiteral("c'est un dossier, pas une publication");
    return named ? name + QStringLiteral(" n'est pas une publication.")
                 : QStringLiteral("ce n'est pas une publication");
}

} // namespace

bool PlayerSession::carriesOwnPublication()
{
    return Container::openOwnExecutable().ok();
}

bool PlayerSession::open(const QString& publicationPath, bool confined)
{
    m_messages.clear();
    m_failureReason.clear();
    bool notAContainer = false;
    Result<std::unique_ptr<Container>> opened = openPublicationContainer(publicationPath, &m_triedPath, &notAContainer);
    if (!opened) {
        m_failureReason = notAContainer ? notAPublicationText(m_triedPath, false) : ioErrorText(opened.error());
        m_messages << kResourcesMessage + QStringLiteral("\r\r") +
                          (notAContainer ? notAPublicationText(m_triedPath, true) : m_failureReason);
        return false;
    }
    m_container = std::move(opened).value();
    // Before anything resolves a name: the publication's scripts, pictures
    // and ExtractDir name their files by the drives of their disc.
    DriveMap drives;
    drives.publicationFolder = m_container->programFolder();
    drives.volume = m_volume.isEmpty() ? mountPointOf(m_container->filePath()) : m_volume;
    drives.userDrive = userDriveFolder() == kFolderError ? QStringLiteral("/") : userDriveFolder();
    drives.letters = m_driveLetters;
    setDriveMap(drives);
    m_articles = std::make_unique<text::ArticleTextEngine>(
        [this](const QString& name) { return std::make_unique<EntrySource>(*m_container, name); });
    m_context.paintArticleText = m_articles->hook();

    EntrySource entry(*m_container, QStringLiteral("RUNTIME.PUB"));
    TextSource lines(entry);
    const int status = loadPublication(lines, m_pub, defaultPalette256());
    if (status != 0) {
        // The load reports its own code first, then start-up gives up on the
        // resources as unreadable.
        m_messages << ioErrorText(status);
        m_messages << kResourcesMessage + QStringLiteral("\r\r") + ioErrorText(io::kReadError);
        m_failureReason = status == io::kNotInContainer
                              ? QStringLiteral("RUNTIME.PUB manque dans la publication.")
                              : QStringLiteral("RUNTIME.PUB illisible : ") + ioErrorText(status);
        return false;
    }
    // Nothing to show would leave a black window that answers nothing.
    if (m_pub.document.pages().empty()) {
        m_failureReason = QStringLiteral("Cette publication ne contient aucune page.");
        m_messages << m_failureReason;
        return false;
    }

    PublicationSettings& s = m_pub.settings;
    const QSize design(s.ScreenWidth, s.ScreenHeight);
    const QSize page = boundedPageSize(design);
    if (page != design && design.width() > 0 && design.height() > 0) {
        std::cerr << "lumeria: the page size " << design.width() << " x " << design.height()
                  << " is larger than the player can hold; the page is shown at " << page.width() << " x "
                  << page.height() << '\n';
        s.ScreenWidth = page.width();
        s.ScreenHeight = page.height();
    }
    // Before the first page is drawn, so that its text finds the faces the
    // publication brought rather than their substitutes.
    m_fonts = std::make_unique<EmbeddedFonts>();
    m_fonts->registerFrom(*m_container);
    for (const QString& problem : m_fonts->problems())
        std::cerr << "lumeria: " << problem.toStdString() << '\n';
    m_pictureOptions = {s.CompressImages, imageLibraryFor(s.RuntimeDll)};
    m_container->setExtractionFolder(
        chooseExtractionFolder(extractionChoiceFor(m_container->filePath(), s.ExtractOp, s.ExtractDir, confined)),
        s.ExtractOp);
    return true;
}

Page_Rec* PlayerSession::firstPage(const CommandLine& commandLine)
{
    Document& doc = m_pub.document;
    if (commandLine.mode == RunMode::SaverConfigure) {
        if (Page_Rec* config = doc.findPage(QStringLiteral("Config")))
            return config;
    }
    if (!commandLine.firstPage.isEmpty()) {
        if (Page_Rec* named = doc.findPage(commandLine.firstPage))
            return named;
    }
    return doc.pages().empty() ? nullptr : doc.pages().front().get();
}

std::optional<DecodedPicture> PlayerSession::picture(const QString& name)
{
    if (!m_container)
        return std::nullopt;
    return m_pictures.picture(*m_container, name, m_pictureOptions);
}

QString PlayerSession::exportFileName(int number, const QString& pageName)
{
    QString name = pageName.trimmed();
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32 || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    }
    return QStringLiteral("%1-%2.png").arg(number, 4, 10, QLatin1Char('0')).arg(name);
}

Status PlayerSession::exportPages(const QString& folder)
{
    if (!makeFolderPath(folder)) {
        return Status::failed(QStringLiteral("cannot create the folder %1").arg(folder));
    }
    const Document& doc = m_pub.document;
    Variables noVariables;
    ExportBuiltins builtins(doc, m_exporting);
    PaintContext context = m_context;
    context.substitute = [&](const QString& text) { return lumeria::substitute(text, noVariables, builtins); };
    const PageRenderer renderer(doc, context, QSize(m_pub.settings.ScreenWidth, m_pub.settings.ScreenHeight));
    int number = 0;
    for (const auto& page : doc.pages()) {
        ++number;
        m_exporting = page.get();
        gdi::Surface surface = renderer.renderOffScreen(*page);
        m_exporting = nullptr;
        if (surface.isNull()) {
            return Status::failed(QStringLiteral("page %1 is too large to render").arg(number));
        }
        const QString path = QDir(folder).filePath(exportFileName(number, page->Name));
        // Qt's PNG writer turns quality into zlib's level as (100 - q) * 9 / 91:
        // 85 is level 1, which keeps the export bound by drawing, not zlib.
        constexpr int kPngQualityForLevel1 = 85;
        if (!surface.image().save(path, "PNG", kPngQualityForLevel1)) {
            return Status::failed(QStringLiteral("cannot write %1").arg(path));
        }
    }
    return {};
}

PlayerSession::~PlayerSession()
{
    m_media.reset();
}

void PlayerSession::prepareMedia()
{
    if (!m_container)
        return;
    for (const ContainerEntry& entry : m_container->entries()) {
        if (media::MediaManager::needsLibraries(entry.Name)) {
            m_media->prepareLibraries();
            return;
        }
    }
}

std::optional<QString> PlayerSession::locateMediaFile(const QString& name)
{
    if (!m_container || name.trimmed().isEmpty())
        return std::nullopt;
    const ExtractResult extracted = m_container->extract(name);
    if (extracted.status != ExtractStatus::Failed && QFileInfo(extracted.path).isFile())
        return extracted.path;
    // A name with a folder of its own may point anywhere on the disc.
    if (windowsFileName(name) != name) {
        const QString path = resolveWindowsPath(name, m_container->programFolder());
        if (QFileInfo(path).isFile())
            return path;
        // The box names the file as the publication does; where it was
        // looked for is what a reader needs to find what is missing.
        std::cerr << "lumeria: " << name.toStdString() << ": not found as " << path.toStdString() << '\n';
        if (m_trace)
            m_trace(QStringLiteral("missing \"%1\" \"%2\"").arg(name, path));
    } else {
        std::cerr << "lumeria: " << name.toStdString() << ": neither in the publication nor at "
                  << extracted.path.toStdString() << '\n';
        if (m_trace)
            m_trace(QStringLiteral("missing \"%1\" \"%2\"").arg(name, extracted.path));
    }
    return std::nullopt;
}

std::optional<QByteArray> PlayerSession::readMediaFile(const QString& name)
{
    constexpr qint64 kMaxBytes = 256 * 1024 * 1024;
    if (!m_container)
        return std::nullopt;
    if (const ContainerEntry* entry = m_container->find(name)) {
        if (entry->Size < 0 || entry->Size > kMaxBytes)
            return std::nullopt;
        QByteArray bytes(entry->Size, Qt::Uninitialized);
        const int64_t read =
            m_container->readAt(*entry, 0, std::span(reinterpret_cast<std::byte*>(bytes.data()), size_t(bytes.size())));
        if (read != entry->Size)
            return std::nullopt;
        return bytes;
    }
    const std::optional<QString> path = locateMediaFile(name);
    if (!path)
        return std::nullopt;
    try {
        Result<QByteArray> bytes = readRegularFile(*path, kMaxBytes);
        if (bytes)
            return std::move(bytes).value();
    } catch (const LimitExceeded&) {
    }
    return std::nullopt;
}

} // namespace lumeria
