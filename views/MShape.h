#pragma once

#include "views/CurveShape.h"
#include "views/Group2D.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

namespace MShape {

// X = left + width/2, Y = top + height/2, Width = width, Height = height.
void SetRect(RectShape& shape, double left, double top, double width, double height);

// A new object of the same kind with CopyFrom applied. A cloned group is
// empty: CopyFrom never copies a group's contents.
CurveShapeRef Clone(const CurveShape& source);
Group2DRef Clone(const Group2D& source);
StringShapeRef Clone(const StringShape& source);

// Copies the common properties (Border, BorderColor, BorderWidth, Fill,
// FillColor, Rotation, Scale, X, Y), then those of the first kind both objects
// share, tested in the order curve, rectangle (oval, arc, round rectangle),
// text, group (nothing more), figure (its parts, cloned), pixmap.
void CopyFrom(Object2D& destination, const Object2D& source);

// A group of three straight lines in `color`, `width` wide: the shaft from
// (x1, y) to (x2, y) and two barbs from the tip at x2 back to
// (x2 -/+ size/2, y -/+ size/2); the head points toward x2 (right when x1 <= x2).
Group2DRef MakeHorizontalArrow(double x1, double x2, double y, double size, RgbColor color, double width);

// Width of the arrow accompanying an oval marker of the given height: height * 2/3.
double OvalArrowWidth(double height);

}
