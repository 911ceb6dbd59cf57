#pragma once

#include "views/RectShape.h"

// The ellipse filling its rectangle. Segments is a smoothness hint kept for
// callers; the renderer draws true curves and does not need it.
class OvalShape : public RectShape
{
public:
    OvalShape();

    int Segments() const { return mSegments; }
    void SetSegments(int value) { mSegments = value; }

protected:
    explicit OvalShape(Kind kind) : RectShape(kind) {}

private:
    int mSegments = 0;
};

using OvalShapeRef = std::shared_ptr<OvalShape>;
