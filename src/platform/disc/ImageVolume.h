#pragma once

#include "platform/disc/DiscImage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace lumeria::disc {

// A disc image as the volume a publication lies on. The player names files
// by paths of this system, and libraries (FFmpeg, the picture readers) open
// them by path, so the image's tree appears under a private folder, and a
// file of the image is copied there the first time a path names it, never
// before: most of a disc is never read. The folder goes with the volume.
class ImageVolume {
public:
    // Makes the folder in the system's temporary folder; nothing when it
    // cannot be made.
    static std::unique_ptr<ImageVolume> create(std::unique_ptr<DiscImage> image);
    ~ImageVolume();
    ImageVolume(const ImageVolume&) = delete;
    ImageVolume& operator=(const ImageVolume&) = delete;

    const DiscImage& image() const { return *m_image; }
    // Where the image's root appears.
    const QString& folder() const { return m_folder; }
    // The path under folder() of a '/'-separated path of the image.
    QString pathOf(const QString& imagePath) const;

    // Makes real the entry at path, a path of this system, when it lies
    // under folder() and the image has it (components in any letter case):
    // the folders along it are made, with the folders inside each, and a
    // file is copied out once. At most 4 GiB are copied in all, so a
    // publication cannot fill the disk through a lying image.
    void materialize(const QString& path);
    int64_t copiedBytes() const { return m_copied; }

private:
    ImageVolume(std::unique_ptr<DiscImage> image, QString folder);
    void makeFolder(const QString& path, const DiscEntry& entry);

    std::unique_ptr<DiscImage> m_image;
    QString m_folder;
    int64_t m_copied = 0;
    QStringList m_listed; // folders whose subfolders were made
};

// While one lives, resolved paths make folders real but copy no file: for
// names looked up only to be read in place.
class NamesOnly {
public:
    NamesOnly();
    ~NamesOnly();
    NamesOnly(const NamesOnly&) = delete;
    NamesOnly& operator=(const NamesOnly&) = delete;
};

// Whether path lies on the image volume: a disc, which nothing writes to.
bool liesOnImageVolume(const QString& path);

// The image volume resolved paths consult; none by default. The volume is
// owned by the caller and must outlive the setting.
void setImageVolume(ImageVolume* volume);
ImageVolume* imageVolume();

} // namespace lumeria::disc
