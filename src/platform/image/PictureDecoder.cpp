#include "platform/image/PictureDecoder.h"

#include "platform/image/WmfPlayer.h"

#include "platform/image/BmpDecoder.h"
#include "platform/image/IconDecoder.h"
#include "platform/image/PcxDecoder.h"
#include "platform/image/PictureError.h"
#include "platform/image/PngDecoder.h"
#include "platform/image/QtDecoders.h"
#include "platform/image/TiffDecoder.h"

namespace lumeria {

namespace {

// Everything after the last dot of the file-name part, dot included, upper
// case; empty when the file name has no dot.
QString upperExtension(const QString& name)
{
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name[i];
        if (c == u'.')
            return name.mid(i).toUpper();
        if (c == u'\\' || c == u'/' || c == u':')
            break;
    }
    return {};
}

// An extension is found by its position in these texts, so a
// prefix such as ".JP" is found and a longer one such as ".JPEG" is not.
// Stored publications rely on both, so the search stays a text search.
constexpr QStringView kKeptWhenCompressed = u".ICO.WMF.JPG.PNG";
constexpr QStringView kDecodable = u".ICO.WMF.PNG.BMP.PCX.TIF.JPG";

qsizetype positionIn(QStringView text, const QString& extension)
{
    if (extension.isEmpty())
        return -1;
    return text.indexOf(extension);
}

} // namespace

ImageLibrary imageLibraryFor(const QString& runtimeDll)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < runtimeDll.size(); ++i) {
        const QChar c = runtimeDll[i];
        if (c == u'\\' || c == u'/' || c == u':')
            start = i + 1;
    }
    const QString file = runtimeDll.mid(start).trimmed();
    if (runtimeDll.trimmed().isEmpty() || file.toUpper() == QLatin1String(kStandardImageLibrary))
        return ImageLibrary::Standard;
    return ImageLibrary::PngOnly;
}

PictureFormat pictureFormatFor(const QString& requestedName, bool compressImages)
{
    QString extension = upperExtension(requestedName);
    if (compressImages && positionIn(kKeptWhenCompressed, extension) < 0)
        extension = QStringLiteral(".PNG");
    switch (positionIn(kDecodable, extension)) {
    case 0: return PictureFormat::Icon;
    case 4: return PictureFormat::Metafile;
    case 8: return PictureFormat::Png;
    case 12: return PictureFormat::Bmp;
    case 16: return PictureFormat::Pcx;
    case 20: return PictureFormat::Tiff;
    case 24: return PictureFormat::Jpeg;
    default: return PictureFormat::None;
    }
}

Result<DecodedPicture> decodePicture(const QString& requestedName, std::span<const std::byte> bytes,
                                     const PictureOptions& options)
{
    const PictureFormat format = pictureFormatFor(requestedName, options.compressImages);
    // Icons and metafiles were the platform's own; every other format went
    // through the library, and only the standard one read more than PNG.
    const bool libraryReader = format == PictureFormat::Bmp || format == PictureFormat::Pcx ||
                               format == PictureFormat::Tiff || format == PictureFormat::Jpeg;
    if (libraryReader && options.library != ImageLibrary::Standard)
        return Failure{picture::kNotInLibrary};

    switch (format) {
    case PictureFormat::None: break;
    case PictureFormat::Icon: return decodeIcon(bytes);
    case PictureFormat::Metafile:
        // Drawn at its own size; drawing code that scales a metafile can
        // replay it at the target size with playMetafile instead.
        return decodeMetafile(bytes);
    case PictureFormat::Png: return decodePng(bytes);
    case PictureFormat::Bmp: return decodeBmp(bytes);
    case PictureFormat::Pcx: return decodePcx(bytes);
    case PictureFormat::Tiff: return decodeTiff(bytes);
    case PictureFormat::Jpeg: return decodeQtBitmap(bytes, QtBitmapFormat::Jpeg);
    }
    return Failure{picture::kUnknownExtension};
}

} // namespace lumeria
