#pragma once

#include "views/RectShape.h"

// A rectangle whose corners are rounded by an ellipse of
// CornerWidth x CornerHeight.
class RoundRectShape : public RectShape
{
public:
    RoundRectShape();

    double CornerWidth() const { return mCornerWidth; }
    void SetCornerWidth(double value) { mCornerWidth = value; }
    double CornerHeight() const { return mCornerHeight; }
    void SetCornerHeight(double value) { mCornerHeight = value; }
    int Segments() const { return mSegments; }
    void SetSegments(int value) { mSegments = value; }

private:
    double mCornerWidth = 0;
    double mCornerHeight = 0;
    int mSegments = 0;
};

using RoundRectShapeRef = std::shared_ptr<RoundRectShape>;
