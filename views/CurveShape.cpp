#include "views/CurveShape.h"

#include <algorithm>

CurveShape::CurveShape() : Object2D(Kind::Curve)
{
    SetBorder(100);
}

CurveShape::CurveShape(const CurveShape& other)
    : Object2D(other), mOrder(other.mOrder), mSegments(other.mSegments), mX2(other.mX2), mY2(other.mY2)
{
    if (other.mControls)
        mControls = std::make_unique<std::array<QPointF, 2>>(*other.mControls);
}

CurveShape& CurveShape::operator=(const CurveShape& other)
{
    if (this == &other)
        return *this;
    Object2D::operator=(other);
    mOrder = other.mOrder;
    mSegments = other.mSegments;
    mX2 = other.mX2;
    mY2 = other.mY2;
    mControls = other.mControls ? std::make_unique<std::array<QPointF, 2>>(*other.mControls) : nullptr;
    return *this;
}

void CurveShape::SetOrder(int value)
{
    const int order = std::clamp(value, 0, 2);
    if (order == 0) {
        mControls.reset();
    } else if (!mControls) {
        mControls = std::make_unique<std::array<QPointF, 2>>();
    } else {
        // Points dropped by a lower order start again at (0, 0).
        for (int i = order; i < 2; ++i)
            (*mControls)[size_t(i)] = QPointF();
    }
    mOrder = quint8(order);
}

double CurveShape::ControlX(int index) const
{
    Q_ASSERT(index >= 0 && index < Order());
    return (*mControls)[size_t(index)].x();
}

double CurveShape::ControlY(int index) const
{
    Q_ASSERT(index >= 0 && index < Order());
    return (*mControls)[size_t(index)].y();
}

void CurveShape::SetControlX(int index, double value)
{
    Q_ASSERT(index >= 0 && index < Order());
    (*mControls)[size_t(index)].setX(value);
}

void CurveShape::SetControlY(int index, double value)
{
    Q_ASSERT(index >= 0 && index < Order());
    (*mControls)[size_t(index)].setY(value);
}
