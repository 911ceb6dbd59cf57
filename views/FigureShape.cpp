#include "views/FigureShape.h"

FigureShape::FigureShape() : Object2D(Kind::Figure) {}

void FigureShape::AddLine(double x1, double y1, double x2, double y2)
{
    auto part = std::make_shared<CurveShape>();
    part->SetX(x1);
    part->SetY(y1);
    part->SetX2(x2);
    part->SetY2(y2);
    mParts.push_back(std::move(part));
}

void FigureShape::Append(CurveShapeRef part)
{
    Q_ASSERT(part);
    mParts.push_back(std::move(part));
}

const CurveShapeRef& FigureShape::Item(int index) const
{
    Q_ASSERT(index >= 0 && index < Count());
    return mParts[size_t(index)];
}
