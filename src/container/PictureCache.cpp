#include "container/PictureCache.h"

#include "container/PictureLoader.h"

#include <QCryptographicHash>

namespace lumeria {

namespace {

// Scripts build picture names from variables, so the names seen have no
// bound of their own; forgetting them only costs reading their bytes again.
constexpr qsizetype kMaxNames = 4096;

// The same bytes under names of two formats decode differently (with
// compressed images a .BMP name reads PNG), so the format is part of the key.
QByteArray contentKey(PictureFormat format, std::span<const std::byte> bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    return char(format) + hash.result();
}

} // namespace

std::optional<DecodedPicture> PictureCache::picture(const Container& container, const QString& name,
                                                    const PictureOptions& options)
{
    const QString upper = name.toUpper();
    const auto known = m_names.constFind(upper);
    if (known != m_names.constEnd()) {
        if (known->isEmpty())
            return std::nullopt;
        if (const auto hit = m_byKey.constFind(*known); hit != m_byKey.constEnd()) {
            m_recent.splice(m_recent.begin(), m_recent, *hit);
            return m_recent.front().picture;
        }
    }

    // Read anew: a name first seen, or one whose picture was let go.
    Result<std::vector<std::byte>> bytes = readEntryBytes(container, name, kMaxPictureEntrySize);
    if (m_names.size() >= kMaxNames)
        m_names.clear();
    if (!bytes) {
        m_names.insert(upper, QByteArray());
        return std::nullopt;
    }
    const QByteArray key = contentKey(pictureFormatFor(name, options.compressImages), bytes.value());
    m_names.insert(upper, key);
    if (const auto hit = m_byKey.constFind(key); hit != m_byKey.constEnd()) {
        m_recent.splice(m_recent.begin(), m_recent, *hit);
        return m_recent.front().picture;
    }

    Result<DecodedPicture> decoded = decodePicture(name, bytes.value(), options);
    ++m_decodes;
    // A picture that does not decode is remembered too, at a small cost, so
    // that repaints do not decode it again and again.
    constexpr int64_t kEntryCost = 64;
    Decoded entry;
    entry.key = key;
    entry.bytes = kEntryCost;
    if (decoded) {
        entry.picture = std::move(decoded).value();
        entry.bytes += entry.picture->image.sizeInBytes();
    }
    m_held += entry.bytes;
    m_recent.push_front(std::move(entry));
    m_byKey.insert(key, m_recent.begin());
    evict();
    return m_recent.front().picture;
}

void PictureCache::evict()
{
    // The picture just asked for stays even alone over the budget: it is
    // about to be drawn, and the decoders' own limits bound its size.
    while (m_held > m_budget && m_recent.size() > 1) {
        const Decoded& last = m_recent.back();
        m_held -= last.bytes;
        m_byKey.remove(last.key);
        m_recent.pop_back();
    }
}

} // namespace lumeria
