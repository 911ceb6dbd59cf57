#pragma once

#include "views/Object2D.h"

#include <QPointF>

#include <array>
#include <memory>

// A line from (X, Y) to (X2, Y2), drawn in BorderColor with BorderWidth
// (Border starts at 100 for lines). Order 0 is straight; order 1 and 2 bend
// it through one or two control points (quadratic, cubic), set and read by
// index 0 .. Order-1.
class CurveShape : public Object2D
{
public:
    CurveShape();
    CurveShape(const CurveShape& other);
    CurveShape& operator=(const CurveShape& other);

    double X2() const { return mX2; }
    void SetX2(double value) { mX2 = value; }
    double Y2() const { return mY2; }
    void SetY2(double value) { mY2 = value; }
    int Segments() const { return mSegments; }
    void SetSegments(int value) { mSegments = value; }

    int Order() const { return mOrder; }
    // Clamped to 0..2; new control points start at (0, 0).
    void SetOrder(int value);
    double ControlX(int index) const;
    double ControlY(int index) const;
    void SetControlX(int index, double value);
    void SetControlY(int index, double value);

private:
    // The small members come first so they share the base's trailing padding:
    // maps hold millions of lines.
    quint8 mOrder = 0;
    int mSegments = 0;
    double mX2 = 0;
    double mY2 = 0;
    // Only bent lines hold control points.
    std::unique_ptr<std::array<QPointF, 2>> mControls;
};

using CurveShapeRef = std::shared_ptr<CurveShape>;
