#pragma once

#include "views/OvalShape.h"

// A part of its ellipse: from StartAngle, turning clockwise by ArcAngle
// (radians; 0 points to three o'clock, angles grow clockwise on screen).
// Filled it is a pie wedge from the centre; with Fill 0 and Border set only
// its arc outline is drawn.
class ArcShape : public OvalShape
{
public:
    ArcShape();

    double StartAngle() const { return mStartAngle; }
    void SetStartAngle(double value) { mStartAngle = value; }
    double ArcAngle() const { return mArcAngle; }
    void SetArcAngle(double value) { mArcAngle = value; }

private:
    double mStartAngle = 0;
    double mArcAngle = 0;
};

using ArcShapeRef = std::shared_ptr<ArcShape>;
