#include "linear/CLinearShape.h"

#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/MShape.h"
#include "views/RoundRectShape.h"

namespace {
constexpr int kForward = 0;
constexpr int kReverse = 1;
}

void CLinearShape::SetHeight(double value)
{
    mHeight = value;
    mHalfHeight = value / 2;
}

void CLinearShape::EffectiveBox(int direction, bool centreUndirected, double& left, double& width) const
{
    left = mLeft;
    width = mWidth;
    const double h = mHalfHeight;
    if (mWidth >= h)
        return;
    if (direction == kForward)
        left = mLeft;
    else if (direction == kReverse)
        left = mLeft - (h - mWidth);
    else if (centreUndirected)
        left = mLeft - (h - mWidth) / 2;
    else
        return;
    width = h;
}

Object2DRef CLinearShape::MakeRect(int direction) const
{
    const double t = mTop;
    const double h = mHalfHeight;
    const double height = mHeight;
    if (direction != kForward && direction != kReverse) {
        auto rect = std::make_shared<RectShape>();
        MShape::SetRect(*rect, mLeft, mTop, mWidth, mHeight);
        rect->SetFillColor(mFillColor);
        rect->SetBorderColor(mLineColor);
        rect->SetBorderWidth(mBorderWidth);
        rect->SetBorder(100);
        return rect;
    }
    double l = 0;
    double w = 0;
    EffectiveBox(direction, false, l, w);
    const bool hasBody = h < w;
    auto figure = std::make_shared<FigureShape>();
    figure->Reserve(4);
    if (direction == kForward) {
        if (hasBody)
            figure->AddLine(l, t, l + w - h, t);
        figure->AddLine(l + w - h, t, l + w, t + h);
        figure->AddLine(l + w, t + h, l + w - h, t + height);
        if (hasBody)
            figure->AddLine(l + w - h, t + height, l, t + height);
    } else {
        if (hasBody)
            figure->AddLine(l + w, t, l + h, t);
        figure->AddLine(l + h, t, l, t + h);
        figure->AddLine(l, t + h, l + h, t + height);
        if (hasBody)
            figure->AddLine(l + h, t + height, l + w, t + height);
    }
    figure->SetFillColor(mFillColor);
    figure->SetBorderColor(mLineColor);
    figure->SetBorderWidth(mBorderWidth);
    figure->SetBorder(100);
    return figure;
}

Object2DRef CLinearShape::MakeOval(int direction) const
{
    double l = 0;
    double w = 0;
    EffectiveBox(direction, true, l, w);
    const double height = mHeight;
    auto oval = std::make_shared<RoundRectShape>();
    MShape::SetRect(*oval, l, mTop, w, height);
    oval->SetCornerWidth(height * 2 / 3);
    oval->SetCornerHeight(height * 2 / 3);
    oval->SetFillColor(mFillColor);
    oval->SetBorderColor(mLineColor);
    oval->SetBorderWidth(mBorderWidth);
    oval->SetBorder(100);
    if (direction != kForward && direction != kReverse)
        return oval;
    const double inset = height - MShape::OvalArrowWidth(height);
    const double y = mTop + mHalfHeight;
    auto group = std::make_shared<Group2D>();
    group->Append(oval);
    if (direction == kForward)
        group->Append(MShape::MakeHorizontalArrow(l + w - inset, l + w - inset + height, y, height, mLineColor, mBorderWidth));
    else
        group->Append(MShape::MakeHorizontalArrow(l + inset, l + inset - height, y, height, mLineColor, mBorderWidth));
    return group;
}

Object2DRef CLinearShape::MakeArrow(int direction) const
{
    const double y = mTop + mHalfHeight;
    if (direction != kForward && direction != kReverse) {
        auto line = std::make_shared<CurveShape>();
        line->SetX(mLeft);
        line->SetY(y);
        line->SetX2(mLeft + mWidth);
        line->SetY2(y);
        line->SetBorderColor(mLineColor);
        line->SetBorderWidth(mBorderWidth);
        return line;
    }
    double l = 0;
    double w = 0;
    EffectiveBox(direction, false, l, w);
    if (direction == kForward)
        return MShape::MakeHorizontalArrow(l, l + w, y, mHeight, mLineColor, mBorderWidth);
    return MShape::MakeHorizontalArrow(l + w, l, y, mHeight, mLineColor, mBorderWidth);
}
