#include "views/CurveShape.h"

#include <algorithm>

CurveShape::CurveShape() : Object2D(Kind::Curve)
{
    SetBorder(100);
}

void CurveShape::SetOrder(int value)
{
    mControls.resize(size_t(std::clamp(value, 0, 2)));
}

double CurveShape::ControlX(int index) const
{
    Q_ASSERT(index >= 0 && index < Order());
    return mControls[size_t(index)].x();
}

double CurveShape::ControlY(int index) const
{
    Q_ASSERT(index >= 0 && index < Order());
    return mControls[size_t(index)].y();
}

void CurveShape::SetControlX(int index, double value)
{
    Q_ASSERT(index >= 0 && index < Order());
    mControls[size_t(index)].setX(value);
}

void CurveShape::SetControlY(int index, double value)
{
    Q_ASSERT(index >= 0 && index < Order());
    mControls[size_t(index)].setY(value);
}
