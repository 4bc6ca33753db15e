#pragma once

#include "platform/image/DecodedPicture.h"
#include "platform/image/PictureDecoder.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <list>
#include <optional>

namespace lumeria {

class Container;

// The pictures of a publication as decoded for drawing. Names that hold the
// same bytes share one decoded copy, however many of them a publication
// lists, and all decoded pixels together stay within a byte budget: the
// picture used longest ago goes first. The pictures a page draws are used on
// every paint of it, so they are the last to go while it is shown.
class PictureCache {
public:
    // Far above the pictures of any real page (a 640 × 480 picture takes
    // 1.2 MB), and still room for two of the largest a decoder accepts.
    static constexpr int64_t kDefaultBudget = int64_t(256) * 1024 * 1024;

    explicit PictureCache(int64_t budgetBytes = kDefaultBudget) : m_budget(budgetBytes) {}

    // The picture a name stands for; nothing when it cannot be loaded.
    std::optional<DecodedPicture> picture(const Container& container, const QString& name,
                                          const PictureOptions& options);

    // Decoded pixels held now, and how many pictures were decoded so far.
    int64_t bytesHeld() const { return m_held; }
    int decodes() const { return m_decodes; }

private:
    struct Decoded {
        QByteArray key;
        std::optional<DecodedPicture> picture;
        int64_t bytes = 0;
    };
    using Recent = std::list<Decoded>;

    void evict();

    int64_t m_budget;
    int64_t m_held = 0;
    int m_decodes = 0;
    // Upper-cased name to the key of its content; an empty key marks a
    // name without readable bytes.
    QHash<QString, QByteArray> m_names;
    // Most recently used first.
    Recent m_recent;
    QHash<QByteArray, Recent::iterator> m_byKey;
};

} // namespace lumeria
