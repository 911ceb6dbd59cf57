#pragma once

#include "views/CurveShape.h"

#include <vector>

// A polygon built edge by edge. Drawn as one closed shape: the outline runs
// through the edges' points in the order added and closes itself back to the
// first point; filled with FillColor, outlined when Border is set. Edge
// coordinates are scene coordinates; the figure's own X and Y do not move it.
class FigureShape : public Object2D
{
public:
    FigureShape();

    // Adds a straight edge from (x1, y1) to (x2, y2).
    void AddLine(double x1, double y1, double x2, double y2);
    void Append(CurveShapeRef part);
    int Count() const { return int(mParts.size()); }
    void Reserve(int count) { mParts.reserve(size_t(count)); }
    const CurveShapeRef& Item(int index) const;
    void RemoveAll() { mParts.clear(); }

private:
    std::vector<CurveShapeRef> mParts;
};

using FigureShapeRef = std::shared_ptr<FigureShape>;
