#include "export/CPictVectorWriter.h"

#include "export/MMacRoman.h"
#include "export/MPictBitmap.h"
#include "views/ArcShape.h"
#include "views/CTextMeasure.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/Group2D.h"
#include "views/OvalShape.h"
#include "views/PixmapShape.h"
#include "views/RectShape.h"
#include "views/RoundRectShape.h"
#include "views/StringShape.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
// Angles closer than this to a whole degree are written as QuickDraw arcs,
// whose angles are whole degrees; others as polygons, to keep them exact.
constexpr double kWholeDegreeTolerance = 1e-6;
// How far a polygon may stray from the true curve, in map units.
constexpr double kCurveTolerance = 0.25;
// A polygon record holds its size in a signed 16-bit word: 10 bytes + 4 a point.
constexpr int kMaximumPolygonPoints = (0x7FFF - 10) / 4;
constexpr int kLongestText = 255;
// Font numbers that old readers know by number; other fonts are numbered
// from kFirstOwnFontNumber and always carry their name.
constexpr int kFirstOwnFontNumber = 1024;

enum TextFace : int { kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

int Rounded(double value)
{
    return CPictStream::ClampCoordinate(value);
}

QRect RoundedRect(const QRectF& rect)
{
    const int left = Rounded(rect.left());
    const int top = Rounded(rect.top());
    const int right = Rounded(rect.right());
    const int bottom = Rounded(rect.bottom());
    return QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

// Outlines are drawn only when visible, as on screen.
bool HasOutline(const Object2D& shape)
{
    return shape.Border() > 0 && shape.BorderWidth() > 0;
}

bool IsWholeDegree(double degrees)
{
    return std::abs(degrees - std::round(degrees)) < kWholeDegreeTolerance;
}

// Points along the ellipse inscribed in rect, from start turning by span
// (radians, clockwise on screen from three o'clock), both ends included.
std::vector<QPointF> EllipsePoints(const QRectF& rect, double start, double span, int reserveExtra)
{
    const double rx = rect.width() / 2;
    const double ry = rect.height() / 2;
    const QPointF centre = rect.center();
    const double radius = std::max({rx, ry, kCurveTolerance});
    const double step = 2 * std::acos(std::max(-1.0, 1 - kCurveTolerance / radius));
    int count = static_cast<int>(std::ceil(std::abs(span) / step));
    count = std::clamp(count, 1, kMaximumPolygonPoints - 1 - reserveExtra);
    std::vector<QPointF> points;
    points.reserve(static_cast<size_t>(count + 1 + reserveExtra));
    for (int i = 0; i <= count; ++i) {
        const double angle = start + span * i / count;
        points.emplace_back(centre.x() + rx * std::cos(angle), centre.y() + ry * std::sin(angle));
    }
    return points;
}

}  // namespace

CPictVectorWriter::CPictVectorWriter(const QSize& pageSize)
    : mStream(QRect(QPoint(0, 0), pageSize))
{
    // Text is drawn over what lies beneath it, not on a background box.
    mStream.WriteOpcode(CPictStream::kTextMode);
    mStream.WriteUInt16(1);
}

QByteArray CPictVectorWriter::Picture(const Group2D& group, const QSize& pageSize)
{
    CPictVectorWriter writer(pageSize);
    writer.Draw(group);
    return writer.Finish();
}

void CPictVectorWriter::Draw(const Group2D& group)
{
    DrawGroup(group, Placement());
}

QByteArray CPictVectorWriter::Finish()
{
    return mStream.Finish();
}

void CPictVectorWriter::DrawObject(const Object2D& object, const Placement& at)
{
    switch (object.ObjectKind()) {
    case Object2D::Kind::Group:
        DrawGroup(static_cast<const Group2D&>(object), at);
        break;
    case Object2D::Kind::Rect:
        DrawRectangle(static_cast<const RectShape&>(object), at, CPictStream::kFrameRect);
        break;
    case Object2D::Kind::Oval:
        DrawRectangle(static_cast<const RectShape&>(object), at, CPictStream::kFrameOval);
        break;
    case Object2D::Kind::Arc:
        DrawArc(static_cast<const ArcShape&>(object), at);
        break;
    case Object2D::Kind::RoundRect:
        DrawRoundRect(static_cast<const RoundRectShape&>(object), at);
        break;
    case Object2D::Kind::Curve:
        DrawCurve(static_cast<const CurveShape&>(object), at);
        break;
    case Object2D::Kind::String:
        DrawString(static_cast<const StringShape&>(object), at);
        break;
    case Object2D::Kind::Figure:
        DrawFigure(static_cast<const FigureShape&>(object), at);
        break;
    case Object2D::Kind::Pixmap:
        DrawPixmap(static_cast<const PixmapShape&>(object), at);
        break;
    }
}

void CPictVectorWriter::DrawGroup(const Group2D& group, const Placement& at)
{
    const QPointF origin = at.Map(group.X(), group.Y());
    const Placement inner{origin.x(), origin.y(), at.mScale * group.Scale()};
    for (const Object2DRef& item : group.Items())
        DrawObject(*item, inner);
}

void CPictVectorWriter::PaintAndFrame(const Object2D& shape, const QRectF& outline, double scale,
                                      uint16_t frameOpcode)
{
    if (shape.Fill() > 0) {
        SetForeColor(shape.FillColor());
        mStream.WriteOpcode(static_cast<uint16_t>(frameOpcode + 1));
        mStream.WriteRect(RoundedRect(outline));
    }
    if (HasOutline(shape)) {
        SetForeColor(shape.BorderColor());
        // QuickDraw frames inside the rectangle; widen it by half the pen
        // so that the line is centred on the outline as on screen.
        const int pen = SetPenSize(shape.BorderWidth() * scale);
        const double half = pen / 2.0;
        mStream.WriteOpcode(frameOpcode);
        mStream.WriteRect(RoundedRect(outline.adjusted(-half, -half, half, half)));
    }
}

void CPictVectorWriter::DrawRectangle(const RectShape& shape, const Placement& at, uint16_t frameOpcode)
{
    const QPointF centre = at.Map(shape.X(), shape.Y());
    const double width = shape.Width() * at.mScale;
    const double height = shape.Height() * at.mScale;
    PaintAndFrame(shape, QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height),
                  at.mScale, frameOpcode);
}

void CPictVectorWriter::DrawRoundRect(const RoundRectShape& shape, const Placement& at)
{
    SetOvalSize(Rounded(shape.CornerWidth() * at.mScale), Rounded(shape.CornerHeight() * at.mScale));
    DrawRectangle(shape, at, CPictStream::kFrameRoundRect);
}

void CPictVectorWriter::DrawArc(const ArcShape& shape, const Placement& at)
{
    const QPointF centre = at.Map(shape.X(), shape.Y());
    const double width = shape.Width() * at.mScale;
    const double height = shape.Height() * at.mScale;
    const QRectF outline(centre.x() - width / 2, centre.y() - height / 2, width, height);
    // QuickDraw measures from twelve o'clock, clockwise, in whole degrees.
    const double startDegrees = shape.StartAngle() * kDegreesPerRadian + 90.0;
    const double spanDegrees = shape.ArcAngle() * kDegreesPerRadian;
    if (std::abs(spanDegrees) >= 360.0 - kWholeDegreeTolerance) {
        PaintAndFrame(shape, outline, at.mScale, CPictStream::kFrameOval);
        return;
    }
    if (IsWholeDegree(startDegrees) && IsWholeDegree(spanDegrees) && std::round(spanDegrees) != 0) {
        const auto writeAngles = [&] {
            mStream.WriteInt16(static_cast<int16_t>(std::lround(std::fmod(startDegrees, 360.0))));
            mStream.WriteInt16(static_cast<int16_t>(std::lround(spanDegrees)));
        };
        if (shape.Fill() > 0) {
            SetForeColor(shape.FillColor());
            mStream.WriteOpcode(CPictStream::kPaintArc);
            mStream.WriteRect(RoundedRect(outline));
            writeAngles();
        }
        if (HasOutline(shape)) {
            SetForeColor(shape.BorderColor());
            const double half = SetPenSize(shape.BorderWidth() * at.mScale) / 2.0;
            mStream.WriteOpcode(CPictStream::kFrameArc);
            mStream.WriteRect(RoundedRect(outline.adjusted(-half, -half, half, half)));
            writeAngles();
        }
        return;
    }
    if (shape.Fill() > 0) {
        std::vector<QPointF> wedge = EllipsePoints(outline, shape.StartAngle(), shape.ArcAngle(), 1);
        wedge.insert(wedge.begin(), outline.center());
        SetForeColor(shape.FillColor());
        WritePolygon(CPictStream::kPaintPolygon, wedge);
    }
    if (HasOutline(shape)) {
        SetForeColor(shape.BorderColor());
        WritePolyline(EllipsePoints(outline, shape.StartAngle(), shape.ArcAngle(), 0),
                      shape.BorderWidth() * at.mScale);
    }
}

void CPictVectorWriter::DrawCurve(const CurveShape& curve, const Placement& at)
{
    if (!HasOutline(curve))
        return;
    const QPointF from = at.Map(curve.X(), curve.Y());
    const QPointF to = at.Map(curve.X2(), curve.Y2());
    SetForeColor(curve.BorderColor());
    const double width = curve.BorderWidth() * at.mScale;
    if (curve.Order() == 0) {
        // The pen hangs right of and below the points it is drawn through.
        const double half = SetPenSize(width) / 2.0;
        mStream.WriteOpcode(CPictStream::kLine);
        mStream.WritePoint(Rounded(from.x() - half), Rounded(from.y() - half));
        mStream.WritePoint(Rounded(to.x() - half), Rounded(to.y() - half));
        return;
    }
    QPainterPath path(from);
    if (curve.Order() == 1)
        path.quadTo(at.Map(curve.ControlX(0), curve.ControlY(0)), to);
    else
        path.cubicTo(at.Map(curve.ControlX(0), curve.ControlY(0)),
                     at.Map(curve.ControlX(1), curve.ControlY(1)), to);
    const QPolygonF flat = path.toFillPolygon();
    std::vector<QPointF> points(flat.begin(), flat.end());
    // toFillPolygon closes the outline; a curve stays open.
    if (points.size() > 2 && points.front() == points.back())
        points.pop_back();
    WritePolyline(points, width);
}

void CPictVectorWriter::DrawFigure(const FigureShape& figure, const Placement& at)
{
    if (figure.Count() == 0)
        return;
    std::vector<QPointF> points;
    points.reserve(static_cast<size_t>(figure.Count()) + 2);
    for (int i = 0; i < figure.Count(); ++i) {
        const CurveShape& edge = *figure.Item(i);
        const QPointF start = at.Map(edge.X(), edge.Y());
        if (points.empty() || points.back() != start)
            points.push_back(start);
        points.push_back(at.Map(edge.X2(), edge.Y2()));
    }
    if (figure.Fill() > 0) {
        SetForeColor(figure.FillColor());
        WritePolygon(CPictStream::kPaintPolygon, points);
    }
    if (HasOutline(figure)) {
        points.push_back(points.front());
        SetForeColor(figure.BorderColor());
        WritePolyline(points, figure.BorderWidth() * at.mScale);
    }
}

void CPictVectorWriter::DrawString(const StringShape& text, const Placement& at)
{
    if (text.Text().isEmpty() || text.Fill() <= 0)
        return;
    // Measured and sized as the renderer lays it out (whole sizes, scaled
    // with the group), so the text starts where it does on screen.
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(text.TextFont(), text.TextSize(), text.Bold(), text.Italic(), text.Underline());
    const double width = measure.Width(text.Text()) * at.mScale;
    const double size = std::ceil(text.TextSize()) * at.mScale;
    const QByteArray encoded = MMacRoman::FromUnicode(text.Text()).left(kLongestText);
    const QPointF anchor = at.Map(text.X(), text.Y());

    const int face = (text.Bold() ? kBoldFace : 0) | (text.Italic() ? kItalicFace : 0)
        | (text.Underline() ? kUnderlineFace : 0);
    SetTextStyle(text.TextFont(), static_cast<int>(std::lround(size)), face);
    SetForeColor(text.FillColor());
    mStream.WriteOpcode(CPictStream::kLongText);
    mStream.WritePoint(Rounded(anchor.x() - width / 2), Rounded(anchor.y()));
    mStream.WriteUInt8(static_cast<uint8_t>(encoded.size()));
    mStream.WriteBytes(encoded);
    mStream.PadToEven();
}

void CPictVectorWriter::DrawPixmap(const PixmapShape& pixmap, const Placement& at)
{
    const PictureRef& picture = pixmap.Image();
    if (!picture)
        return;
    const double width = pixmap.SourceWidth() * at.mScale;
    const double height = pixmap.SourceHeight() * at.mScale;
    const QPointF centre = at.Map(pixmap.X(), pixmap.Y());
    const QRectF target(centre.x() - width / 2, centre.y() - height / 2, width, height);
    if (picture->Depth() == 0) {
        if (picture->Objects()) {
            const Placement inner{target.left() - pixmap.SourceLeft() * at.mScale,
                                  target.top() - pixmap.SourceTop() * at.mScale, at.mScale};
            DrawGroup(*picture->Objects(), inner);
        }
        return;
    }
    const QRect source = QRectF(pixmap.SourceLeft(), pixmap.SourceTop(), pixmap.SourceWidth(),
                                pixmap.SourceHeight())
                             .toAlignedRect()
                             .intersected(picture->Bitmap().rect());
    const QRect destination = RoundedRect(target);
    if (source.isEmpty() || destination.isEmpty() || !MPictBitmap::FitsPicture(source.size()))
        return;
    MPictBitmap::AppendDirectBitsRect(mStream, picture->Bitmap().copy(source), destination);
}

void CPictVectorWriter::WritePolygon(uint16_t opcode, const std::vector<QPointF>& points)
{
    if (points.size() < 2)
        return;
    // Longer outlines are thinned out evenly to what one record holds.
    const size_t count = std::min(points.size(), static_cast<size_t>(kMaximumPolygonPoints));
    std::vector<QPoint> rounded;
    rounded.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const QPointF& p = points[i * (points.size() - 1) / std::max<size_t>(count - 1, 1)];
        rounded.emplace_back(Rounded(p.x()), Rounded(p.y()));
    }
    int left = rounded.front().x(), right = left, top = rounded.front().y(), bottom = top;
    for (const QPoint& p : rounded) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    const QRect bounds(left, top, right - left, bottom - top);
    mStream.WriteOpcode(opcode);
    mStream.WriteUInt16(static_cast<uint16_t>(10 + 4 * rounded.size()));
    mStream.WriteRect(bounds);
    for (const QPoint& p : rounded)
        mStream.WritePoint(p.x(), p.y());
}

void CPictVectorWriter::WritePolyline(const std::vector<QPointF>& points, double penWidth)
{
    const double half = SetPenSize(penWidth) / 2.0;
    std::vector<QPointF> shifted;
    shifted.reserve(points.size());
    for (const QPointF& p : points)
        shifted.emplace_back(p.x() - half, p.y() - half);
    WritePolygon(CPictStream::kFramePolygon, shifted);
}

void CPictVectorWriter::SetForeColor(uint32_t rgb)
{
    if (mForeColor == static_cast<int64_t>(rgb))
        return;
    mForeColor = rgb;
    mStream.WriteRgb(CPictStream::kRgbForeColor, rgb);
}

int CPictVectorWriter::SetPenSize(double width)
{
    // The thinnest QuickDraw pen is one unit; thinner lines are drawn that wide.
    const int size = std::clamp(static_cast<int>(std::lround(width)), 1, 0x7FFF);
    if (size != mPenSize) {
        mPenSize = size;
        mStream.WriteOpcode(CPictStream::kPenSize);
        mStream.WritePoint(size, size);
    }
    return size;
}

void CPictVectorWriter::SetOvalSize(int width, int height)
{
    if (width == mOvalWidth && height == mOvalHeight)
        return;
    mOvalWidth = width;
    mOvalHeight = height;
    mStream.WriteOpcode(CPictStream::kOvalSize);
    mStream.WritePoint(width, height);
}

void CPictVectorWriter::SetTextStyle(const QString& fontName, int size, int face)
{
    const int number = FontNumber(fontName);
    if (number != mFontNumber) {
        mFontNumber = number;
        const QByteArray name = MMacRoman::FromUnicode(fontName).left(kLongestText);
        mStream.WriteOpcode(CPictStream::kFontName);
        mStream.WriteUInt16(static_cast<uint16_t>(3 + name.size()));
        mStream.WriteUInt16(static_cast<uint16_t>(number));
        mStream.WriteUInt8(static_cast<uint8_t>(name.size()));
        mStream.WriteBytes(name);
        mStream.PadToEven();
        mStream.WriteOpcode(CPictStream::kTextFont);
        mStream.WriteUInt16(static_cast<uint16_t>(number));
    }
    const int clampedSize = std::clamp(size, 1, 0x7FFF);
    if (clampedSize != mTextSize) {
        mTextSize = clampedSize;
        mStream.WriteOpcode(CPictStream::kTextSize);
        mStream.WriteUInt16(static_cast<uint16_t>(clampedSize));
    }
    if (face != mTextFace) {
        mTextFace = face;
        mStream.WriteOpcode(CPictStream::kTextFace);
        mStream.WriteUInt8(static_cast<uint8_t>(face));
        mStream.PadToEven();
    }
}

int CPictVectorWriter::FontNumber(const QString& fontName)
{
    static const QHash<QString, int> kKnownFonts = {
        {QStringLiteral("new york"), 2}, {QStringLiteral("geneva"), 3},
        {QStringLiteral("monaco"), 4},   {QStringLiteral("times"), 20},
        {QStringLiteral("helvetica"), 21}, {QStringLiteral("courier"), 22},
    };
    const QString key = fontName.toLower();
    if (const auto known = kKnownFonts.constFind(key); known != kKnownFonts.constEnd())
        return known.value();
    auto own = mFontNumbers.constFind(key);
    if (own == mFontNumbers.constEnd())
        own = mFontNumbers.insert(key, kFirstOwnFontNumber + static_cast<int>(mFontNumbers.size()));
    return own.value();
}
