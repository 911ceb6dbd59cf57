#include "views/PixmapShape.h"

PixmapShape::PixmapShape() : Object2D(Kind::Pixmap) {}

void PixmapShape::SetImage(PictureRef picture)
{
    mImage = std::move(picture);
    mSourceLeft = 0;
    mSourceTop = 0;
    mSourceWidth = mImage ? mImage->Width() : 0;
    mSourceHeight = mImage ? mImage->Height() : 0;
}
