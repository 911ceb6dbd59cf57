#include "views/CSceneRenderer.h"

#include "views/ArcShape.h"
#include "views/CTextMeasure.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/Group2D.h"
#include "views/OvalShape.h"
#include "views/PixmapShape.h"
#include "views/RoundRectShape.h"
#include "views/StringShape.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRadToDeg = 57.29577951308232;
// Angular bins per device pixel of arc when merging a run of wedges.
constexpr double kBinsPerPixel = 4;
// How far inside a covering disc's edge its opaque part is trusted to start:
// antialiasing of both the disc and the sector may touch a pixel and a half.
constexpr double kCoverMargin = 2;
// Longest chord, in device pixels, used to approximate a merged sector's arcs.
constexpr double kChord = 3;
// Device pixels kept around the visible area: antialiasing reaches that far.
constexpr double kCullMargin = 2;
// Groups of up to this many items are skipped whole when out of sight.
constexpr int kSmallGroup = 8;

QColor ToColor(RgbColor rgb, double opacityPercent)
{
    const double clamped = std::clamp(opacityPercent, 0.0, 100.0);
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF), int(std::lround(clamped * 2.55)));
}

bool HasFill(const Object2D& o) { return o.Fill() > 0; }
bool HasOutline(const Object2D& o) { return o.Border() > 0 && o.BorderWidth() > 0; }

QRectF BoxOf(const RectShape& r)
{
    return QRectF(r.X() - r.Width() / 2, r.Y() - r.Height() / 2, r.Width(), r.Height());
}

// A wedge or radial hairline seen as an interval of angles around a centre.
struct Sector
{
    double cx = 0;
    double cy = 0;
    double outer = 0;
    double from = 0;  // radians, clockwise from three o'clock, from <= to
    double to = 0;
    RgbColor color = 0;
    bool hairline = false;
    double width = 0;  // hairlines: the line's width
};

// An opaque disc that hides what was drawn before it.
struct Disc
{
    int index;
    double cx;
    double cy;
    double radius;
};

bool AsSector(const Object2D& object, Sector& sector)
{
    if (object.ObjectKind() == Object2D::Kind::Arc) {
        const auto& arc = static_cast<const ArcShape&>(object);
        if (arc.Fill() < 100 || HasOutline(arc) || arc.Width() != arc.Height() || arc.Width() <= 0
            || arc.ArcAngle() == 0 || !std::isfinite(arc.StartAngle()) || !std::isfinite(arc.ArcAngle()))
            return false;
        sector.cx = arc.X();
        sector.cy = arc.Y();
        sector.outer = arc.Width() / 2;
        sector.from = std::min(arc.StartAngle(), arc.StartAngle() + arc.ArcAngle());
        sector.to = std::max(arc.StartAngle(), arc.StartAngle() + arc.ArcAngle());
        sector.color = arc.FillColor();
        sector.hairline = false;
        return true;
    }
    if (object.ObjectKind() == Object2D::Kind::Curve) {
        const auto& line = static_cast<const CurveShape&>(object);
        if (line.Order() != 0 || line.Border() < 100 || line.BorderWidth() <= 0 || line.BorderWidth() > 2)
            return false;
        const double dx = line.X2() - line.X();
        const double dy = line.Y2() - line.Y();
        const double length = std::hypot(dx, dy);
        if (!(length >= 8) || !std::isfinite(length))
            return false;
        const double angle = std::atan2(dy, dx);
        const double half = line.BorderWidth() / 2 / length;
        sector.cx = line.X();
        sector.cy = line.Y();
        sector.outer = length;
        sector.from = angle - half;
        sector.to = angle + half;
        sector.color = line.BorderColor();
        sector.hairline = true;
        sector.width = line.BorderWidth();
        return true;
    }
    return false;
}

// Where on the device something can still show: raster devices only (vector
// outputs keep every object), with room for antialiasing.
std::optional<QRectF> VisibleDeviceArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (device == nullptr)
        return std::nullopt;
    const int type = device->devType();
    if (type != QInternal::Image && type != QInternal::Pixmap && type != QInternal::Widget)
        return std::nullopt;
    // Scaled by the pixel ratio: too large for some devices, never too small.
    const double ratio = std::max(1.0, device->devicePixelRatio());
    QRectF area(0, 0, device->width() * ratio, device->height() * ratio);
    if (painter.hasClipping())
        area &= painter.deviceTransform().mapRect(painter.clipBoundingRect());
    return area.adjusted(-kCullMargin, -kCullMargin, kCullMargin, kCullMargin);
}

// A pin: an untransformed group of a straight line and an oval head, as a
// circular map draws a marker outside or inside its rings.
bool IsPin(const Object2D& object)
{
    if (object.ObjectKind() != Object2D::Kind::Group)
        return false;
    const auto& g = static_cast<const Group2D&>(object);
    if (g.Count() != 2 || g.X() != 0 || g.Y() != 0 || g.Scale() != 1)
        return false;
    const Object2D& line = *g.Item(0);
    return line.ObjectKind() == Object2D::Kind::Curve && static_cast<const CurveShape&>(line).Order() == 0
        && g.Item(1)->ObjectKind() == Object2D::Kind::Oval;
}

// What a pin looks like on the device: its line ends and head centre to a
// quarter of a device pixel, and every style value exactly.
struct PinLook
{
    std::array<qint64, 16> values{};
    bool operator==(const PinLook& other) const { return values == other.values; }
};

struct PinLookHash
{
    size_t operator()(const PinLook& look) const
    {
        quint64 h = 1469598103934665603ull;
        for (const qint64 v : look.values)
            h = (h ^ quint64(v)) * 1099511628211ull;
        return size_t(h);
    }
};

// Positions closer than this many device pixels count as the same spot. Finer
// than a pin's border: where pins stand closer than that, the borders of the
// stack darken what lies between them, and the survivors must still do so.
constexpr double kPinQuantum = 1.0 / 16;

PinLook LookOf(const Group2D& pin, const QTransform& device)
{
    const auto& line = static_cast<const CurveShape&>(*pin.Item(0));
    const auto& head = static_cast<const OvalShape&>(*pin.Item(1));
    const auto spot = [](double v) { return qint64(std::llround(std::clamp(v / kPinQuantum, -1e15, 1e15))); };
    const auto exact = [](double v) {
        qint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return bits;
    };
    const QPointF from = device.map(QPointF(line.X(), line.Y()));
    const QPointF to = device.map(QPointF(line.X2(), line.Y2()));
    const QPointF centre = device.map(QPointF(head.X(), head.Y()));
    PinLook look;
    look.values = {spot(from.x()), spot(from.y()), spot(to.x()), spot(to.y()), spot(centre.x()), spot(centre.y()),
                   exact(line.Border()), exact(line.BorderWidth()), qint64(line.BorderColor()),
                   exact(head.Width()), exact(head.Height()), exact(head.Fill()), qint64(head.FillColor()),
                   exact(head.Border()), exact(head.BorderWidth()), qint64(head.BorderColor())};
    return look;
}

class Renderer
{
public:
    explicit Renderer(QPainter& painter) : mPainter(painter)
    {
        if (const std::optional<QRectF> area = VisibleDeviceArea(painter)) {
            bool invertible = false;
            const QTransform toScene = painter.deviceTransform().inverted(&invertible);
            if (invertible) {
                mVisible = toScene.mapRect(*area);
                mCull = true;
            }
        }
    }

    void Draw(const Object2D& object)
    {
        switch (object.ObjectKind()) {
        case Object2D::Kind::Group: DrawGroup(static_cast<const Group2D&>(object)); break;
        case Object2D::Kind::Rect: DrawRect(static_cast<const RectShape&>(object)); break;
        case Object2D::Kind::Oval: DrawOval(static_cast<const OvalShape&>(object)); break;
        case Object2D::Kind::Arc: DrawArc(static_cast<const ArcShape&>(object)); break;
        case Object2D::Kind::RoundRect: DrawRoundRect(static_cast<const RoundRectShape&>(object)); break;
        case Object2D::Kind::Curve: DrawCurve(static_cast<const CurveShape&>(object)); break;
        case Object2D::Kind::String: DrawString(static_cast<const StringShape&>(object)); break;
        case Object2D::Kind::Figure: DrawFigure(static_cast<const FigureShape&>(object)); break;
        case Object2D::Kind::Pixmap: DrawPixmap(static_cast<const PixmapShape&>(object)); break;
        }
    }

private:
    // Pen and brush are set only when they change: a dense map draws
    // thousands of shapes in one colour, and every change costs the painter.
    void UsePen(const QColor& color, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join)
    {
        if (mPenKnown && mPenSet && mPenColor == color && mPenWidth == width && mPenCap == cap && mPenJoin == join)
            return;
        QPen pen(color, width, Qt::SolidLine, cap, join);
        mPainter.setPen(pen);
        mPenKnown = mPenSet = true;
        mPenColor = color;
        mPenWidth = width;
        mPenCap = cap;
        mPenJoin = join;
    }

    void UseNoPen()
    {
        if (mPenKnown && !mPenSet)
            return;
        mPainter.setPen(Qt::NoPen);
        mPenKnown = true;
        mPenSet = false;
    }

    void UseBrush(const QColor& color)
    {
        if (mBrushKnown && mBrushSet && mBrushColor == color)
            return;
        mPainter.setBrush(color);
        mBrushKnown = mBrushSet = true;
        mBrushColor = color;
    }

    void UseNoBrush()
    {
        if (mBrushKnown && !mBrushSet)
            return;
        mPainter.setBrush(Qt::NoBrush);
        mBrushKnown = true;
        mBrushSet = false;
    }

    // After the painter's state was restored behind our back.
    void ForgetPainterState()
    {
        mPenKnown = false;
        mBrushKnown = false;
        mFontKnown = false;
    }

    // Sets pen and brush for a shape that may be filled and outlined.
    bool UseFillAndOutline(const Object2D& o)
    {
        const bool fill = HasFill(o);
        const bool outline = HasOutline(o);
        if (!fill && !outline)
            return false;
        if (fill)
            UseBrush(ToColor(o.FillColor(), o.Fill()));
        else
            UseNoBrush();
        if (outline)
            UsePen(ToColor(o.BorderColor(), o.Border()), o.BorderWidth(), Qt::SquareCap, Qt::MiterJoin);
        else
            UseNoPen();
        return true;
    }

    // Whether the object may paint inside the visible area. Unknown extents
    // (large groups, which are culled item by item) count as visible.
    bool MayShow(const Object2D& o)
    {
        if (!mCull)
            return true;
        QRectF box;
        return !PaintedBounds(o, box, 0) || box.intersects(mVisible);
    }

    // A box holding all the object paints, in the coordinates it is placed in.
    bool PaintedBounds(const Object2D& o, QRectF& box, int depth)
    {
        switch (o.ObjectKind()) {
        case Object2D::Kind::Rect:
        case Object2D::Kind::Oval:
        case Object2D::Kind::Arc:
        case Object2D::Kind::RoundRect: {
            const double pen = HasOutline(o) ? o.BorderWidth() : 0;
            box = BoxOf(static_cast<const RectShape&>(o)).normalized().adjusted(-pen, -pen, pen, pen);
            return true;
        }
        case Object2D::Kind::Curve: {
            const auto& c = static_cast<const CurveShape&>(o);
            double left = std::min(c.X(), c.X2());
            double right = std::max(c.X(), c.X2());
            double top = std::min(c.Y(), c.Y2());
            double bottom = std::max(c.Y(), c.Y2());
            for (int i = 0; i < c.Order(); ++i) {
                left = std::min(left, c.ControlX(i));
                right = std::max(right, c.ControlX(i));
                top = std::min(top, c.ControlY(i));
                bottom = std::max(bottom, c.ControlY(i));
            }
            const double pen = c.BorderWidth();
            box = QRectF(QPointF(left - pen, top - pen), QPointF(right + pen, bottom + pen));
            return true;
        }
        case Object2D::Kind::Figure: {
            const auto& f = static_cast<const FigureShape&>(o);
            if (f.Count() == 0) {
                box = QRectF();
                return true;
            }
            double left = f.Item(0)->X();
            double right = left;
            double top = f.Item(0)->Y();
            double bottom = top;
            for (int i = 0; i < f.Count(); ++i) {
                const CurveShape& edge = *f.Item(i);
                left = std::min({left, edge.X(), edge.X2()});
                right = std::max({right, edge.X(), edge.X2()});
                top = std::min({top, edge.Y(), edge.Y2()});
                bottom = std::max({bottom, edge.Y(), edge.Y2()});
            }
            // Mitred corners reach out up to the miter limit (2) times half the pen.
            const double pen = HasOutline(f) ? f.BorderWidth() : 0;
            box = QRectF(QPointF(left - pen, top - pen), QPointF(right + pen, bottom + pen));
            return true;
        }
        case Object2D::Kind::String: {
            const auto& s = static_cast<const StringShape&>(o);
            // Generous about ascent, descent, underline and italic overhang.
            const double size = std::ceil(std::max(s.TextSize(), 1.0));
            const double top = s.Y() - 2 * size;
            const double bottom = s.Y() + size;
            if (bottom < mVisible.top() || top > mVisible.bottom()) {
                box = QRectF(QPointF(s.X(), top), QPointF(s.X(), bottom));
                return true;
            }
            const double half = TextWidth(s) / 2 + size;
            box = QRectF(QPointF(s.X() - half, top), QPointF(s.X() + half, bottom));
            return true;
        }
        case Object2D::Kind::Pixmap: {
            const auto& p = static_cast<const PixmapShape&>(o);
            box = QRectF(p.X() - p.SourceWidth() / 2, p.Y() - p.SourceHeight() / 2, p.SourceWidth(), p.SourceHeight())
                      .normalized();
            return true;
        }
        case Object2D::Kind::Group: {
            // Small groups (one marker's lines) are skipped as a whole.
            const auto& g = static_cast<const Group2D&>(o);
            if (depth > 2 || g.Count() > kSmallGroup || g.X() != 0 || g.Y() != 0 || g.Scale() != 1)
                return false;
            box = QRectF();
            for (const Object2DRef& item : g.Items()) {
                QRectF itemBox;
                if (!PaintedBounds(*item, itemBox, depth + 1))
                    return false;
                box = box.isNull() ? itemBox : box.united(itemBox);
            }
            return true;
        }
        }
        return false;
    }

    // Sets the measuring (and, when `paint`, the painter's) font for the text.
    double TextWidth(const StringShape& s)
    {
        CTextMeasure& measure = CTextMeasure::Shared();
        measure.SetFont(s.TextFont(), s.TextSize(), s.Bold(), s.Italic(), s.Underline());
        return measure.Width(s.Text());
    }

    void DrawRect(const RectShape& r)
    {
        if (UseFillAndOutline(r))
            mPainter.drawRect(BoxOf(r));
    }

    void DrawOval(const OvalShape& o)
    {
        if (UseFillAndOutline(o))
            mPainter.drawEllipse(BoxOf(o));
    }

    void DrawArc(const ArcShape& a)
    {
        const QRectF box = BoxOf(a);
        // Screen angles grow clockwise; Qt's grow counter-clockwise.
        const double startDeg = -a.StartAngle() * kRadToDeg;
        const double sweepDeg = -a.ArcAngle() * kRadToDeg;
        if (HasFill(a)) {
            QPainterPath pie(box.center());
            pie.arcTo(box, startDeg, sweepDeg);
            pie.closeSubpath();
            mPainter.fillPath(pie, ToColor(a.FillColor(), a.Fill()));
        }
        if (HasOutline(a)) {
            QPainterPath arc;
            arc.arcMoveTo(box, startDeg);
            arc.arcTo(box, startDeg, sweepDeg);
            QPen pen(ToColor(a.BorderColor(), a.Border()), a.BorderWidth(), Qt::SolidLine, Qt::FlatCap);
            mPainter.strokePath(arc, pen);
        }
    }

    void DrawRoundRect(const RoundRectShape& r)
    {
        if (!UseFillAndOutline(r))
            return;
        const double rx = std::clamp(r.CornerWidth() / 2, 0.0, std::abs(r.Width()) / 2);
        const double ry = std::clamp(r.CornerHeight() / 2, 0.0, std::abs(r.Height()) / 2);
        mPainter.drawRoundedRect(BoxOf(r), rx, ry, Qt::AbsoluteSize);
    }

    void DrawCurve(const CurveShape& c)
    {
        if (!HasOutline(c))
            return;
        UsePen(ToColor(c.BorderColor(), c.Border()), c.BorderWidth(), Qt::FlatCap, Qt::BevelJoin);
        if (c.Order() == 0) {
            mPainter.drawLine(QPointF(c.X(), c.Y()), QPointF(c.X2(), c.Y2()));
            return;
        }
        QPainterPath path(QPointF(c.X(), c.Y()));
        if (c.Order() == 1)
            path.quadTo(c.ControlX(0), c.ControlY(0), c.X2(), c.Y2());
        else
            path.cubicTo(c.ControlX(0), c.ControlY(0), c.ControlX(1), c.ControlY(1), c.X2(), c.Y2());
        UseNoBrush();
        mPainter.drawPath(path);
    }

    void DrawString(const StringShape& s)
    {
        if (s.Text().isEmpty() || !HasFill(s))
            return;
        const double width = TextWidth(s);
        const QFont& font = CTextMeasure::Shared().Font();
        if (!mFontKnown || mFont != font) {
            if (font != mPainter.font())
                mPainter.setFont(font);
            mFont = font;
            mFontKnown = true;
        }
        UsePen(ToColor(s.FillColor(), s.Fill()), 1, Qt::SquareCap, Qt::BevelJoin);
        mPainter.drawText(QPointF(s.X() - width / 2, s.Y()), s.Text());
    }

    void DrawFigure(const FigureShape& f)
    {
        if (f.Count() == 0 || !UseFillAndOutline(f))
            return;
        QPolygonF outline;
        outline.reserve(f.Count() * 2);
        for (int i = 0; i < f.Count(); ++i) {
            const CurveShape& edge = *f.Item(i);
            const QPointF a(edge.X(), edge.Y());
            if (outline.isEmpty() || outline.constLast() != a)
                outline.append(a);
            outline.append(QPointF(edge.X2(), edge.Y2()));
        }
        mPainter.drawPolygon(outline);
    }

    void DrawPixmap(const PixmapShape& p)
    {
        const PictureRef& picture = p.Image();
        if (!picture || p.SourceWidth() <= 0 || p.SourceHeight() <= 0)
            return;
        const QRectF target(p.X() - p.SourceWidth() / 2, p.Y() - p.SourceHeight() / 2, p.SourceWidth(), p.SourceHeight());
        if (picture->Depth() != 0) {
            mPainter.drawImage(target, picture->Bitmap(),
                               QRectF(p.SourceLeft(), p.SourceTop(), p.SourceWidth(), p.SourceHeight()));
            return;
        }
        if (!picture->Objects())
            return;
        mPainter.save();
        mPainter.setClipRect(target, Qt::IntersectClip);
        mPainter.translate(target.left() - p.SourceLeft(), target.top() - p.SourceTop());
        const QRectF visible = mVisible;
        mVisible = mVisible.intersected(target).translated(p.SourceLeft() - target.left(), p.SourceTop() - target.top());
        Draw(*picture->Objects());
        mVisible = visible;
        mPainter.restore();
        ForgetPainterState();
    }

    void DrawGroup(const Group2D& g)
    {
        const bool moved = g.X() != 0 || g.Y() != 0 || g.Scale() != 1;
        if (!moved) {
            DrawItems(g.Items());
            return;
        }
        const QTransform saved = mPainter.worldTransform();
        const QRectF visible = mVisible;
        const bool cull = mCull;
        mPainter.translate(g.X(), g.Y());
        mPainter.scale(g.Scale(), g.Scale());
        if (g.Scale() > 0)
            mVisible = QRectF((visible.topLeft() - QPointF(g.X(), g.Y())) / g.Scale(), visible.size() / g.Scale());
        else
            mCull = false;
        DrawItems(g.Items());
        mPainter.setWorldTransform(saved);
        mVisible = visible;
        mCull = cull;
    }

    void DrawItems(const std::vector<Object2DRef>& items)
    {
        const int count = int(items.size());
        std::vector<Disc> discs;
        for (int i = 0; i < count; ++i) {
            const Object2D& o = *items[size_t(i)];
            if (o.ObjectKind() != Object2D::Kind::Oval || o.Fill() < 100)
                continue;
            const auto& oval = static_cast<const OvalShape&>(o);
            const double radius = std::min(oval.Width(), oval.Height()) / 2;
            if (radius > kCoverMargin)
                discs.push_back({i, oval.X(), oval.Y(), radius});
        }
        // bestDisc[k]: the largest disc among discs[k..]; a run is hidden by
        // any disc drawn after it.
        std::vector<int> bestDisc(discs.size());
        for (int k = int(discs.size()) - 1; k >= 0; --k) {
            const bool keepLater = k + 1 < int(discs.size())
                && discs[size_t(bestDisc[size_t(k + 1)])].radius >= discs[size_t(k)].radius;
            bestDisc[size_t(k)] = keepLater ? bestDisc[size_t(k + 1)] : k;
        }

        Sector first;
        Sector next;
        for (int i = 0; i < count;) {
            if (IsPin(*items[size_t(i)])) {
                int end = i + 1;
                while (end < count && IsPin(*items[size_t(end)]))
                    ++end;
                DrawPins(items, i, end);
                i = end;
                continue;
            }
            if (!AsSector(*items[size_t(i)], first)) {
                if (MayShow(*items[size_t(i)]))
                    Draw(*items[size_t(i)]);
                ++i;
                continue;
            }
            mRun.clear();
            mRun.push_back(first);
            bool anyHairline = first.hairline;
            int end = i + 1;
            while (end < count && AsSector(*items[size_t(end)], next) && next.cx == first.cx && next.cy == first.cy
                   && std::abs(next.outer - first.outer) <= 1) {
                anyHairline = anyHairline || next.hairline;
                mRun.push_back(next);
                ++end;
            }
            double inner = 0;
            const auto later = std::lower_bound(discs.begin(), discs.end(), end,
                                                [](const Disc& d, int index) { return d.index < index; });
            if (later != discs.end()) {
                const Disc& disc = discs[size_t(bestDisc[size_t(later - discs.begin())])];
                inner = std::max(0.0, disc.radius - std::hypot(disc.cx - first.cx, disc.cy - first.cy) - kCoverMargin);
            }
            // A hairline is a sector only where its thin end is hidden.
            const bool mergeable = end - i >= 2 && (!anyHairline || inner >= first.outer / 2);
            if (mergeable) {
                DrawMergedRun(inner);
            } else {
                for (int k = i; k < end; ++k) {
                    if (MayShow(*items[size_t(k)]))
                        Draw(*items[size_t(k)]);
                }
            }
            i = end;
        }
    }

    // Draws a run of pins. Dense maps stack thousands of pins on the same few
    // pixels; of pins that look the same on the device only the last one is
    // drawn, which is the one on top when all are painted in order.
    void DrawPins(const std::vector<Object2DRef>& items, int begin, int end)
    {
        const QTransform& device = mPainter.deviceTransform();
        mPinDrawn.assign(size_t(end - begin), false);
        mPinLooks.clear();
        for (int k = end - 1; k >= begin; --k) {
            const auto& pin = static_cast<const Group2D&>(*items[size_t(k)]);
            mPinDrawn[size_t(k - begin)] = mPinLooks.insert(LookOf(pin, device)).second;
        }
        for (int k = begin; k < end; ++k) {
            const auto& pin = static_cast<const Group2D&>(*items[size_t(k)]);
            if (!mPinDrawn[size_t(k - begin)] || !MayShow(pin))
                continue;
            // A line and an oval never merge with each other: drawn as they are.
            Draw(*pin.Item(0));
            Draw(*pin.Item(1));
        }
    }

    int FindFree(int bin)
    {
        int root = bin;
        while (mNextFree[size_t(root)] != root)
            root = mNextFree[size_t(root)];
        while (mNextFree[size_t(bin)] != root) {
            const int up = mNextFree[size_t(bin)];
            mNextFree[size_t(bin)] = root;
            bin = up;
        }
        return root;
    }

    void Claim(int from, int to, int owner)
    {
        for (int bin = FindFree(from); bin < to; bin = FindFree(bin + 1)) {
            mOwner[size_t(bin)] = owner;
            mNextFree[size_t(bin)] = bin + 1;
        }
    }

    // Paints the run's sectors as the painter would, resolved per angular bin:
    // walking backwards, each sector takes only the bins no later one took.
    void DrawMergedRun(double inner)
    {
        const QTransform& device = mPainter.deviceTransform();
        const double deviceScale = std::sqrt(std::abs(device.determinant()));
        double outerMax = 0;
        for (const Sector& s : mRun)
            outerMax = std::max(outerMax, s.outer);
        if (inner >= outerMax)
            return;  // the whole run lies under the later disc
        const double pixelsPerRadian = std::max(outerMax * deviceScale, 1.0);
        const int bins = int(std::clamp(std::ceil(kTwoPi * pixelsPerRadian * kBinsPerPixel), 64.0, double(1 << 22)));
        const double binAngle = kTwoPi / bins;

        mOwner.assign(size_t(bins), -1);
        mNextFree.resize(size_t(bins) + 1);
        for (int b = 0; b <= bins; ++b)
            mNextFree[size_t(b)] = b;

        auto binOf = [&](double angle) {
            int bin = int(std::fmod(std::floor(angle / binAngle), double(bins)));
            return bin < 0 ? bin + bins : bin;
        };
        // Thin lines painted over each other build up their antialiased ink
        // until it is solid; a merged line is painted once, so it is widened
        // by the number of lines stacked where it lies, up to one pixel.
        mStack.assign(size_t(bins), 0);
        for (const Sector& s : mRun)
            if (s.hairline)
                ++mStack[size_t(binOf((s.from + s.to) / 2))];
        const double pixel = 1 / deviceScale;
        for (Sector& s : mRun) {
            if (!s.hairline)
                continue;
            int stacked = 0;
            for (int bin = binOf(s.from), last = binOf(s.to);; bin = (bin + 1) % bins) {
                stacked += mStack[size_t(bin)];
                if (bin == last)
                    break;
            }
            const double width = std::min(std::max(stacked, 1) * s.width, std::max(s.width, pixel));
            const double middle = (s.from + s.to) / 2;
            s.from = middle - width / 2 / s.outer;
            s.to = middle + width / 2 / s.outer;
        }

        for (int k = int(mRun.size()) - 1; k >= 0; --k) {
            const Sector& s = mRun[size_t(k)];
            if (s.to - s.from >= kTwoPi) {
                Claim(0, bins, k);
                continue;
            }
            double firstBin = std::round(s.from / binAngle);
            double lastBin = std::round(s.to / binAngle);
            if (lastBin <= firstBin) {
                firstBin = std::floor((s.from + s.to) / 2 / binAngle);
                lastBin = firstBin + 1;
            }
            const int length = int(lastBin - firstBin);
            int start = int(std::fmod(firstBin, double(bins)));
            if (start < 0)
                start += bins;
            const int stop = start + length;
            Claim(start, std::min(stop, bins), k);
            if (stop > bins)
                Claim(0, stop - bins, k);
        }

        auto sameLook = [&](int a, int b) {
            const int oa = mOwner[size_t(a)];
            const int ob = mOwner[size_t(b)];
            if (oa < 0 || ob < 0)
                return oa == ob;
            const Sector& sa = mRun[size_t(oa)];
            const Sector& sb = mRun[size_t(ob)];
            return sa.color == sb.color && std::lround(sa.outer * 4) == std::lround(sb.outer * 4);
        };
        // Start where the look changes, preferably after an empty bin, so no
        // drawn run straddles the start.
        int origin = -1;
        for (int b = 0; b < bins; ++b) {
            const int previous = (b + bins - 1) % bins;
            if (!sameLook(b, previous)) {
                if (mOwner[size_t(previous)] < 0) {
                    origin = b;
                    break;
                }
                if (origin < 0)
                    origin = b;
            }
        }
        UseNoPen();
        if (origin < 0) {
            if (mOwner[0] >= 0)
                DrawRing(mRun[size_t(mOwner[0])], inner);
            return;
        }
        // Each drawn sector reaches one pixel into the next one, which is drawn
        // after it, so neighbours blend into each other and not into the background.
        const double overlap = 1 / pixelsPerRadian;
        RgbColor brushColor = 0xFFFFFFFFu;
        for (int b = origin; b < origin + bins;) {
            const int runStart = b;
            const int owner = mOwner[size_t(b % bins)];
            ++b;
            while (b < origin + bins && sameLook(b % bins, runStart % bins))
                ++b;
            if (owner < 0)
                continue;
            const Sector& s = mRun[size_t(owner)];
            if (s.outer <= inner)
                continue;
            const bool followed = b < origin + bins && mOwner[size_t(b % bins)] >= 0;
            if (s.color != brushColor) {
                UseBrush(ToColor(s.color, 100));
                brushColor = s.color;
            }
            DrawSector(s.cx, s.cy, inner, s.outer, runStart * binAngle, b * binAngle + (followed ? overlap : 0),
                       pixelsPerRadian);
        }
    }

    void DrawSector(double cx, double cy, double inner, double outer, double from, double to, double pixelsPerRadian)
    {
        const int steps = std::max(1, int(std::ceil((to - from) * pixelsPerRadian / kChord)));
        mPolygon.clear();
        const double step = (to - from) / steps;
        for (int k = 0; k <= steps; ++k) {
            const double a = from + k * step;
            mPolygon.append(QPointF(cx + outer * std::cos(a), cy + outer * std::sin(a)));
        }
        if (inner > 0) {
            for (int k = steps; k >= 0; --k) {
                const double a = from + k * step;
                mPolygon.append(QPointF(cx + inner * std::cos(a), cy + inner * std::sin(a)));
            }
        } else {
            mPolygon.append(QPointF(cx, cy));
        }
        mPainter.drawPolygon(mPolygon);
    }

    void DrawRing(const Sector& s, double inner)
    {
        QPainterPath ring;
        ring.addEllipse(QPointF(s.cx, s.cy), s.outer, s.outer);
        if (inner > 0)
            ring.addEllipse(QPointF(s.cx, s.cy), inner, inner);
        mPainter.fillPath(ring, ToColor(s.color, 100));
    }

    QPainter& mPainter;
    bool mCull = false;
    QRectF mVisible;  // in the coordinates of the items being drawn
    bool mPenKnown = false;
    bool mPenSet = false;
    QColor mPenColor;
    double mPenWidth = 0;
    Qt::PenCapStyle mPenCap = Qt::SquareCap;
    Qt::PenJoinStyle mPenJoin = Qt::BevelJoin;
    bool mBrushKnown = false;
    bool mBrushSet = false;
    QColor mBrushColor;
    bool mFontKnown = false;
    QFont mFont;
    std::vector<Sector> mRun;
    std::vector<bool> mPinDrawn;
    std::unordered_set<PinLook, PinLookHash> mPinLooks;
    std::vector<int> mOwner;
    std::vector<int> mNextFree;
    std::vector<int> mStack;
    QPolygonF mPolygon;
};

}

void CSceneRenderer::DrawObject(QPainter& painter, const Object2D& object, double x, double y)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(x, y);
    Renderer renderer(painter);
    renderer.Draw(object);
    painter.restore();
}
