// Feeds arbitrary bytes to the picture dispatch. The first byte chooses the
// name's extension and the publication's options, the rest are the picture.
#include "platform/image/CursorImage.h"
#include "platform/image/PictureDecoder.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <iterator>
#include <span>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's readers complain about every broken file; the fuzzer only cares
    // whether they hold.
    qInstallMessageHandler(quiet);
    // Metafiles may draw text, and fonts need a QGuiApplication.
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kNames[] = {"A.PNG", "A.BMP", "A.PCX",  "A.TIF", "A.JPG", "A.ICO",
                                         "A.WMF", "A.GIF", "A.JPEG", "A.JP",  "A",     "DIR.PNG\\A"};
    const uint8_t choice = data[0];
    const QString name = QString::fromLatin1(kNames[(choice & 0x3F) % std::size(kNames)]);
    lumeria::PictureOptions options;
    options.compressImages = (choice & 0x40) != 0;
    options.library = (choice & 0x80) ? lumeria::ImageLibrary::PngOnly : lumeria::ImageLibrary::Standard;

    const auto bytes = std::as_bytes(std::span(data + 1, size - 1));
    (void)lumeria::decodeCursor(bytes);
    auto decoded = lumeria::decodePicture(name, bytes, options);
    if (!decoded)
        return 0;
    const lumeria::DecodedPicture& d = decoded.value();
    const bool icon = d.transparency == lumeria::PictureTransparency::AlphaMask;
    if (d.image.isNull() || d.image.format() != (icon ? QImage::Format_ARGB32 : QImage::Format_RGB32) ||
        int64_t(d.image.width()) * d.image.height() > lumeria::kMaxPicturePixels || d.paletteColours > 256)
        __builtin_trap();
    return 0;
}
