#pragma once

#include "views/ArcShape.h"
#include "views/CurveShape.h"
#include "views/Group2D.h"
#include "views/OvalShape.h"
#include "views/StringShape.h"

#include <QString>

// Builds the shapes of the circular map from genome locations: location 0 at
// twelve o'clock, locations running clockwise, one turn = the genome length.
// Set the genome length and centre once, then change ArcR between shapes.
class CGenomeArcShape
{
public:
    CGenomeArcShape() = default;

    int GenomeLength() const { return mGenomeLength; }
    // Values of 0 or less leave the radians-per-base factor as it was.
    void SetGenomeLength(int length);
    int ArcR() const { return mArcR; }
    void SetArcR(int radius);
    int CenterX() const { return mCenterX; }
    void SetCenterX(int value) { mCenterX = value; }
    int CenterY() const { return mCenterY; }
    void SetCenterY(int value) { mCenterY = value; }
    double MinimumAngle() const { return mMinimumAngle; }
    double Rcoefficent() const { return mRcoefficent; }

    // The marker on the ring of radius ArcR: a wedge from the centre when it
    // is wider than one pixel of arc, else a radial hairline. A marker whose
    // start is past its end covers the same bases as one from end to start.
    Object2DRef MakeShape(int start, int end, RgbColor color) const;
    // A white disc of radius ArcR that hides the inner parts of a ring's wedges.
    OvalShapeRef MakeWhiteMask() const;
    // The ring frame: a circle outline of radius ArcR, 1.5 wide.
    OvalShapeRef MakeFrame(RgbColor color) const;
    // A radial line 0.5 wide from radius ArcR to ArcR + length (negative: inward).
    CurveShapeRef MakeLine(int location, int length, RgbColor color) const;
    // A group: MakeLine, then a round head `diameter` across at its outer end.
    Group2DRef MakePin(int location, int length, int diameter, RgbColor headColor, RgbColor lineColor) const;
    // An arc outline, 2 wide, over the marker's bases (reversed ends as in MakeShape).
    ArcShapeRef MakeFrame(int start, int end, RgbColor color) const;
    // Text placed by its alignment code at the point of `location` on radius ArcR.
    StringShapeRef MakeString(int location, const QString& text, const QString& font, int size, int alignment) const;

private:
    double Theta(double location) const { return location * mRcoefficent; }
    // First base and angular span of a marker, ends taken in increasing order.
    void MarkerSpan(int start, int end, double& first, double& span) const;

    qint32 mGenomeLength = 0;
    qint32 mArcR = 0;
    double mMinimumAngle = 0;
    double mRcoefficent = 0;
    qint32 mCenterX = 0;
    qint32 mCenterY = 0;
};
