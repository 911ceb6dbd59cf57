#pragma once

#include "views/Object2D.h"

// A rectangle of Width x Height centred on (X, Y).
class RectShape : public Object2D
{
public:
    RectShape();

    double Width() const { return mWidth; }
    void SetWidth(double value) { mWidth = value; }
    double Height() const { return mHeight; }
    void SetHeight(double value) { mHeight = value; }

protected:
    explicit RectShape(Kind kind) : Object2D(kind) {}

private:
    double mWidth = 0;
    double mHeight = 0;
};

using RectShapeRef = std::shared_ptr<RectShape>;
