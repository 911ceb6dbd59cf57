#include "views/CGenomeArcShape.h"

#include "views/MStringShapeExt.h"

#include <cmath>

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

int SegmentsFor(double width)
{
    return int(std::trunc(width * 31.4 * 10));
}
}

void CGenomeArcShape::SetGenomeLength(int length)
{
    mGenomeLength = length;
    if (length > 0)
        mRcoefficent = kTwoPi / length;
}

void CGenomeArcShape::SetArcR(int radius)
{
    mArcR = radius;
    // A zero radius has no pixel of arc: every marker becomes a hairline.
    mMinimumAngle = radius != 0 ? 1.0 / radius : HUGE_VAL;
}

void CGenomeArcShape::MarkerSpan(int start, int end, double& first, double& span) const
{
    if (start == end) {
        first = start;
        // A single base is a hairline just under 0.5 wide, unless the base
        // itself is wider than a pixel: then the formula would give a width
        // below zero and the marker would vanish, so it is drawn as its arc.
        span = mRcoefficent > mMinimumAngle ? mRcoefficent : -mRcoefficent;
        return;
    }
    const double low = std::min(start, end);
    const double high = std::max(start, end);
    first = low;
    span = (high - low + 1) * mRcoefficent;
}

Object2DRef CGenomeArcShape::MakeShape(int start, int end, RgbColor color) const
{
    double first = 0;
    double span = 0;
    MarkerSpan(start, end, first, span);
    const double r = mArcR;
    if (span > mMinimumAngle) {
        auto arc = std::make_shared<ArcShape>();
        arc->SetX(mCenterX);
        arc->SetY(mCenterY);
        arc->SetWidth(2 * r - 1);
        arc->SetHeight(2 * r - 1);
        arc->SetStartAngle(Theta(first) - kHalfPi);
        arc->SetArcAngle(span);
        arc->SetFillColor(color);
        arc->SetSegments(SegmentsFor(arc->Width()));
        return arc;
    }
    const double theta = Theta(first);
    auto line = std::make_shared<CurveShape>();
    line->SetX(mCenterX);
    line->SetY(mCenterY);
    line->SetX2(mCenterX + r * std::sin(theta));
    line->SetY2(mCenterY - r * std::cos(theta));
    line->SetBorderColor(color);
    line->SetBorderWidth(0.5 + 0.5 * span / mMinimumAngle);
    return line;
}

OvalShapeRef CGenomeArcShape::MakeWhiteMask() const
{
    auto mask = std::make_shared<OvalShape>();
    mask->SetFillColor(0xFFFFFF);
    mask->SetX(mCenterX + 1);
    mask->SetY(mCenterY + 1);
    mask->SetWidth(2.0 * mArcR + 1);
    mask->SetHeight(2.0 * mArcR + 1);
    return mask;
}

OvalShapeRef CGenomeArcShape::MakeFrame(RgbColor color) const
{
    auto frame = std::make_shared<OvalShape>();
    frame->SetBorder(100);
    frame->SetFill(0);
    frame->SetBorderWidth(1.5);
    frame->SetBorderColor(color);
    frame->SetX(mCenterX + 1);
    frame->SetY(mCenterY + 1);
    frame->SetWidth(2.0 * mArcR + 1);
    frame->SetHeight(2.0 * mArcR + 1);
    frame->SetSegments(SegmentsFor(frame->Width()));
    return frame;
}

CurveShapeRef CGenomeArcShape::MakeLine(int location, int length, RgbColor color) const
{
    const double theta = Theta(location);
    const double inner = mArcR;
    const double outer = double(mArcR) + length;
    auto line = std::make_shared<CurveShape>();
    line->SetX(mCenterX + inner * std::sin(theta));
    line->SetY(mCenterY - inner * std::cos(theta));
    line->SetX2(mCenterX + outer * std::sin(theta));
    line->SetY2(mCenterY - outer * std::cos(theta));
    line->SetBorderColor(color);
    line->SetBorderWidth(0.5);
    return line;
}

Group2DRef CGenomeArcShape::MakePin(int location, int length, int diameter, RgbColor headColor, RgbColor lineColor) const
{
    const double theta = Theta(location);
    const double outer = double(mArcR) + length;
    auto pin = std::make_shared<Group2D>();
    // Line and head: a map may hold a million pins, so no growing step.
    pin->Reserve(2);
    pin->Append(MakeLine(location, length, lineColor));
    auto head = std::make_shared<OvalShape>();
    head->SetBorder(100);
    head->SetBorderWidth(0.5);
    head->SetBorderColor(lineColor);
    head->SetFillColor(headColor);
    head->SetWidth(diameter);
    head->SetHeight(diameter);
    head->SetX(mCenterX + outer * std::sin(theta) + 0.5);
    head->SetY(mCenterY - outer * std::cos(theta) + 0.5);
    pin->Append(std::move(head));
    return pin;
}

ArcShapeRef CGenomeArcShape::MakeFrame(int start, int end, RgbColor color) const
{
    double first = 0;
    double span = 0;
    MarkerSpan(start, end, first, span);
    auto arc = std::make_shared<ArcShape>();
    arc->SetBorder(100);
    arc->SetFill(0);
    arc->SetBorderWidth(2);
    arc->SetBorderColor(color);
    arc->SetX(mCenterX + 1);
    arc->SetY(mCenterY + 1);
    arc->SetWidth(2.0 * mArcR);
    arc->SetHeight(2.0 * mArcR);
    arc->SetStartAngle(Theta(first) - kHalfPi);
    arc->SetArcAngle(span);
    arc->SetSegments(SegmentsFor(arc->Width()));
    return arc;
}

StringShapeRef CGenomeArcShape::MakeString(int location, const QString& text, const QString& font, int size, int alignment) const
{
    const double theta = Theta(location);
    auto shape = std::make_shared<StringShape>();
    shape->SetTextFont(font);
    shape->SetTextSize(size);
    MStringShapeExt::SetString(*shape, text, mCenterX + mArcR * std::sin(theta), mCenterY - mArcR * std::cos(theta), alignment);
    return shape;
}
