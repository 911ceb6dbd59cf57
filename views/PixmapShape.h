#pragma once

#include "views/Picture.h"

// Draws the source rectangle of its picture centred on (X, Y), one picture
// pixel to one scene pixel. A vector picture draws its scene offset so that
// the source rectangle's top left lands on the shape's top left.
class PixmapShape : public Object2D
{
public:
    PixmapShape();

    const PictureRef& Image() const { return mImage; }
    // Also sets the source rectangle to the whole picture.
    void SetImage(PictureRef picture);
    double SourceLeft() const { return mSourceLeft; }
    void SetSourceLeft(double value) { mSourceLeft = value; }
    double SourceTop() const { return mSourceTop; }
    void SetSourceTop(double value) { mSourceTop = value; }
    double SourceWidth() const { return mSourceWidth; }
    void SetSourceWidth(double value) { mSourceWidth = value; }
    double SourceHeight() const { return mSourceHeight; }
    void SetSourceHeight(double value) { mSourceHeight = value; }

private:
    PictureRef mImage;
    double mSourceLeft = 0;
    double mSourceTop = 0;
    double mSourceWidth = 0;
    double mSourceHeight = 0;
};

using PixmapShapeRef = std::shared_ptr<PixmapShape>;
