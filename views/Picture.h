#pragma once

#include "views/Group2D.h"

#include <QImage>

// A picture holds either a bitmap (Depth() > 0, drawn into through Bitmap())
// or a vector scene (Depth() == 0, a Group2D in Objects()).
class Picture
{
public:
    // A bitmap picture of the given size and colour depth (1, 8, 24 or 32;
    // other depths are held as 32-bit), cleared to white.
    Picture(int width, int height, int depth);
    // A vector picture of the given size holding `objects` (may be null).
    Picture(int width, int height, Group2DRef objects);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Depth() const { return mDepth; }

    QImage& Bitmap() { return mBitmap; }
    const QImage& Bitmap() const { return mBitmap; }
    const Group2DRef& Objects() const { return mObjects; }
    void SetObjects(Group2DRef objects) { mObjects = std::move(objects); }

private:
    int mWidth;
    int mHeight;
    int mDepth;
    QImage mBitmap;
    Group2DRef mObjects;
};

using PictureRef = std::shared_ptr<Picture>;
