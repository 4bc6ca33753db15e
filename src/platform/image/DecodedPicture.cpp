#include "platform/image/DecodedPicture.h"

namespace lumeria {

void setBottomLeftTransparentColour(DecodedPicture& picture)
{
    if (picture.image.isNull()) {
        picture.transparentColour = 0;
        return;
    }
    const QRgb p = picture.image.pixel(0, picture.image.height() - 1);
    picture.transparentColour = uint32_t(qRed(p)) | (uint32_t(qGreen(p)) << 8) | (uint32_t(qBlue(p)) << 16);
}

} // namespace lumeria
