#include "app/EmbeddedFonts.h"

#include "container/Container.h"
#include "platform/FileIo.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/FontWinFnt.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

#include <array>
#include <span>

namespace lumeria {

namespace {

constexpr std::array<const char*, 5> kFontSuffixes = {".TTF", ".OTF", ".TTC", ".FON", ".FNT"};

// A publication's folder may be a disc's root holding thousands of files;
// the fonts of a publication lie among the first of them or not at all.
constexpr int kMaxFolderEntries = 10000;

} // namespace

bool isFontFileName(const QString& name)
{
    for (const char* suffix : kFontSuffixes) {
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

EmbeddedFonts::~EmbeddedFonts()
{
    if (m_ids.isEmpty() || !QGuiApplication::instance())
        return;
    for (const int id : m_ids)
        QFontDatabase::removeApplicationFont(id);
    gdi::Font::clearEmbeddedFamilies();
}

bool EmbeddedFonts::roomFor(const QString& name, qint64 size)
{
    if (m_fonts >= kMaxFonts) {
        m_problems << QStringLiteral("%1: more than %2 fonts; this one is not used").arg(name).arg(kMaxFonts);
        return false;
    }
    if (size < 0 || size > kMaxFontBytes) {
        m_problems << QStringLiteral("%1: larger than %2 MiB; not used").arg(name).arg(kMaxFontBytes >> 20);
        return false;
    }
    if (m_bytes + size > kMaxTotalBytes) {
        m_problems << QStringLiteral("%1: the fonts together pass %2 MiB; this one is not used")
                          .arg(name)
                          .arg(kMaxTotalBytes >> 20);
        return false;
    }
    return true;
}

bool EmbeddedFonts::add(const QString& name, const QByteArray& bytes)
{
    if (!roomFor(name, bytes.size()))
        return false;
    if (!QGuiApplication::instance())
        return false;
    ++m_fonts;
    QByteArray drawable = bytes;
    if (name.endsWith(QLatin1String(".FON"), Qt::CaseInsensitive) ||
        name.endsWith(QLatin1String(".FNT"), Qt::CaseInsensitive)) {
        std::optional<QByteArray> marked = gdi::drawableBitmapFont(
            std::span(reinterpret_cast<const std::byte*>(bytes.constData()), size_t(bytes.size())));
        if (!marked) {
            m_problems << QStringLiteral("%1: not a Windows bitmap font the player can draw (ANSI raster fonts are)")
                              .arg(name);
            return false;
        }
        drawable = std::move(*marked);
    }
    const int id = QFontDatabase::addApplicationFontFromData(drawable);
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        if (id >= 0)
            QFontDatabase::removeApplicationFont(id);
        m_problems << QStringLiteral("%1: not a font the player can read").arg(name);
        return false;
    }
    // The font database keeps its own copy of the bytes.
    m_bytes += drawable.size();
    m_ids << id;
    for (const QString& family : families) {
        gdi::Font::addEmbeddedFamily(family);
        if (!m_families.contains(family))
            m_families << family;
    }
    return true;
}

void EmbeddedFonts::registerFrom(const Container& container)
{
    if (!QGuiApplication::instance())
        return;
    for (const ContainerEntry& entry : container.entries()) {
        if (!isFontFileName(entry.Name) || m_names.contains(entry.Name.toUpper()))
            continue;
        // Taken even when refused: the same file beside the publication is
        // most often the copy extracted from it.
        m_names.insert(entry.Name.toUpper());
        if (!roomFor(entry.Name, entry.Size))
            continue;
        QByteArray bytes(entry.Size, Qt::Uninitialized);
        const int64_t read =
            container.readAt(entry, 0, std::span(reinterpret_cast<std::byte*>(bytes.data()), size_t(bytes.size())));
        if (read != entry.Size) {
            m_problems << QStringLiteral("%1: cannot be read from the publication").arg(entry.Name);
            continue;
        }
        add(entry.Name, bytes);
    }
    registerBeside(container.programFolder());
}

void EmbeddedFonts::registerBeside(const QString& folder)
{
    if (folder.isEmpty())
        return;
    QDirIterator it(folder, QDir::Files);
    for (int seen = 0; it.hasNext() && seen < kMaxFolderEntries; ++seen) {
        const QString path = it.next();
        const QString name = it.fileName();
        if (!isFontFileName(name) || m_names.contains(name.toUpper()))
            continue;
        m_names.insert(name.toUpper());
        if (!roomFor(name, it.fileInfo().size()))
            continue;
        try {
            Result<QByteArray> bytes = readRegularFile(path, kMaxFontBytes);
            if (!bytes) {
                m_problems << QStringLiteral("%1: cannot be read").arg(path);
                continue;
            }
            add(name, bytes.value());
        } catch (const LimitExceeded&) {
            // It grew between the listing and the read.
            m_problems << QStringLiteral("%1: larger than %2 MiB; not used").arg(path).arg(kMaxFontBytes >> 20);
        }
    }
}

} // namespace lumeria
