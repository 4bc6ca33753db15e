#include "platform/image/PictureError.h"

namespace lumeria {

QString pictureErrorText(int code)
{
    switch (code) {
    case 0: return {};
    case picture::kUndecodable:
        return QStringLiteral("the data are not a valid picture of the format its name selects");
    case picture::kTooLarge:
        return QStringLiteral("the picture is larger than the player accepts or its data describe");
    case picture::kUnknownExtension:
        return QStringLiteral("the name's extension is not a picture format the player reads");
    case picture::kNotInLibrary: return QStringLiteral("the publication's image library reads PNG pictures only");
    case picture::kMetafile: return QStringLiteral("a metafile is played by the drawing layer, not decoded to pixels");
    case io::kNotInContainer: return QStringLiteral("the picture is not in the publication");
    default: return ioErrorText(code);
    }
}

} // namespace lumeria
