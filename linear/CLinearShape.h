#pragma once

#include "views/Object2D.h"

// Builds the small horizontal shape of one linear-map marker (a rectangle, an
// oval or an arrow) from its box and colours. Directions: 0 forward (points
// right), 1 reverse (points left), anything else no direction. Each Make
// returns a new object; the builder keeps no reference to it.
class CLinearShape
{
public:
    CLinearShape() = default;

    void SetLeft(double value) { mLeft = value; }
    void SetTop(double value) { mTop = value; }
    void SetWidth(double value) { mWidth = value; }
    // Also keeps the half height.
    void SetHeight(double value);
    void SetFillColor(RgbColor value) { mFillColor = value; }
    void SetLineColor(RgbColor value) { mLineColor = value; }
    void SetBorderWidth(double value) { mBorderWidth = value; }

    double Left() const { return mLeft; }
    double Top() const { return mTop; }
    double Width() const { return mWidth; }
    double Height() const { return mHeight; }
    double HalfHeight() const { return mHalfHeight; }
    RgbColor FillColor() const { return mFillColor; }
    RgbColor LineColor() const { return mLineColor; }
    double BorderWidth() const { return mBorderWidth; }

    // Directed: a figure pointed by half the height (a triangle when the box
    // is no longer than that); undirected: a plain rectangle.
    Object2DRef MakeRect(int direction) const;
    // A round rectangle; directed ovals carry an arrow at their pointing end.
    Object2DRef MakeOval(int direction) const;
    // Directed: an arrow along the middle; undirected: a plain line.
    Object2DRef MakeArrow(int direction) const;

private:
    // The box of a directed shape, widened to half its height if narrower.
    void EffectiveBox(int direction, bool centreUndirected, double& left, double& width) const;

    double mLeft = 0;
    double mTop = 0;
    RgbColor mFillColor = 0xFFFFFF;
    double mWidth = 0;
    double mHeight = 0;
    double mHalfHeight = 0;
    RgbColor mLineColor = 0x000000;
    double mBorderWidth = 0.5;
};
