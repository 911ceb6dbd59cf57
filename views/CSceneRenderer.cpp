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

#include <QGlyphRun>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>
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

// A key of whole numbers that match only when all are equal.
template <size_t N>
struct ExactKey
{
    std::array<qint64, N> values{};
    bool operator==(const ExactKey& other) const { return values == other.values; }
};

template <size_t N>
struct ExactKeyHash
{
    size_t operator()(const ExactKey<N>& key) const
    {
        quint64 h = 1469598103934665603ull;
        for (const qint64 v : key.values)
            h = (h ^ quint64(v)) * 1099511628211ull;
        return size_t(h);
    }
};

// The bits of a value that must match exactly.
qint64 BitsOf(double v)
{
    qint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// What a pin looks like on the device: its line ends and head centre to a
// sixteenth of a device pixel, and every style value exactly.
using PinLook = ExactKey<16>;
using PinLookHash = ExactKeyHash<16>;

// Positions closer than this many device pixels count as the same spot. Finer
// than a pin's border: where pins stand closer than that, the borders of the
// stack darken what lies between them, and the survivors must still do so.
constexpr double kPinQuantum = 1.0 / 16;

PinLook LookOf(const Group2D& pin, const QTransform& device)
{
    const auto& line = static_cast<const CurveShape&>(*pin.Item(0));
    const auto& head = static_cast<const OvalShape&>(*pin.Item(1));
    const auto spot = [](double v) { return qint64(std::llround(std::clamp(v / kPinQuantum, -1e15, 1e15))); };
    const auto exact = BitsOf;
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

// Pin heads from stamps. A crowded circular map draws tens of thousands of
// small ellipses, each a path fill and a stroke for the painter. On a 32-bit
// image, under a transform that only scales evenly and moves, a head is drawn
// once for each look and each sixteenth of a pixel of placement (the spacing
// at which pins already count as the same spot) into a small stamp, and the
// stamp is copied wherever that head goes. Compositing the stamp gives what
// painting the ellipse gives, to the rounding of one blend.
constexpr int kStampPhases = 16;
// Heads wider or taller than this (device pixels) are painted as they are.
constexpr double kLargestStampedHead = 48;
// Stamps kept at most; the cache starts over when full.
constexpr size_t kMostStamps = 4096;

// A head's size, pen and colours on the device, and its phase.
using HeadStampKey = ExactKey<7>;
using HeadStampKeyHash = ExactKeyHash<7>;

// Whether pin heads may be stamped on what the painter paints on.
bool StampsFit(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image || device->devicePixelRatio() != 1
        || painter.viewTransformEnabled() || painter.opacity() != 1
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QImage::Format format = static_cast<const QImage*>(device)->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

// Stacked shapes. A dense linear map piles thousands of same-coloured arrows,
// bars and names on the same few pixels; once those pixels hold the colour,
// painting more of it changes them by a level or two at most. On an image,
// a small opaque one-colour shape whose every pixel already holds its colour
// to within kSettledTolerance is therefore left out.
constexpr int kSettledTolerance = 2;
// Lines longer or wider than this (device pixels) are always painted.
constexpr double kLargestStamp = 256;
constexpr double kWidestStampPen = 2;
// Room around a line's mask for its pen and antialiasing.
constexpr int kMaskMargin = 4;
constexpr int kMaskSlots = 4096;
constexpr int kMaxLinesInStamp = 3;

// The pixels a line or a few lines ink, as runs of a row relative to the
// pixel holding the first line's start.
struct MaskRun
{
    int dy;
    int dx0;
    int dx1;  // exclusive
};

struct MaskKey
{
    std::array<qint32, 2 + 4 * kMaxLinesInStamp> values{};
    bool operator==(const MaskKey& other) const { return values == other.values; }
};

struct MaskSlot
{
    bool used = false;
    MaskKey key;
    std::vector<MaskRun> runs;
};

// Which pixels of the image being painted are known to hold which colour.
// One per thread, reused from call to call; only rows marked since the last
// use are cleared.
class SettledPixels
{
public:
    static constexpr quint8 kUnknown = 0;
    static constexpr quint8 kNoColorId = 255;

    bool Attach(QPainter& painter)
    {
        QPaintDevice* device = painter.device();
        if (device == nullptr || device->devType() != QInternal::Image)
            return false;
        const auto* image = static_cast<const QImage*>(device);
        const QImage::Format format = image->format();
        if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
            && format != QImage::Format_ARGB32_Premultiplied)
            return false;
        if (image->devicePixelRatio() != 1 || painter.opacity() != 1
            || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
            return false;
        const qint64 pixels = qint64(image->width()) * image->height();
        if (pixels <= 0 || pixels > (qint64(1) << 26))
            return false;
        ClearMarked();
        if (mHeld.size() < size_t(pixels))
            mHeld.assign(size_t(pixels), kUnknown);
        mPremultiplied = format == QImage::Format_ARGB32_Premultiplied;
        mWidth = image->width();
        mHeight = image->height();
        mBits = image->constBits();
        mStride = image->bytesPerLine();
        mColors.clear();
        mLastColor = 0xFFFFFFFFu;
        mLastId = kNoColorId;
        mActive = true;
        return true;
    }

    void Detach()
    {
        mActive = false;
        mBits = nullptr;
    }

    bool Active() const { return mActive; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

    quint8 IdOf(RgbColor color)
    {
        if (color == mLastColor)
            return mLastId;
        quint8 id = kNoColorId;
        for (size_t i = 0; i < mColors.size(); ++i) {
            if (mColors[i] == color) {
                id = quint8(i + 1);
                break;
            }
        }
        if (id == kNoColorId && mColors.size() < kNoColorId - 1) {
            mColors.push_back(color);
            id = quint8(mColors.size());
        }
        mLastColor = color;
        mLastId = id;
        return id;
    }

    // Whether the pixels x0 .. x1 - 1 of row y (within the image) hold `color`.
    bool RunHolds(int y, int x0, int x1, quint8 id, RgbColor color)
    {
        quint8* held = mHeld.data() + size_t(y) * size_t(mWidth);
        if (id != kNoColorId && AllEqual(held + x0, x1 - x0, id))
            return true;
        const QRgb* line = reinterpret_cast<const QRgb*>(mBits + qsizetype(y) * mStride);
        for (int x = x0; x < x1; ++x) {
            if (held[x] == id && id != kNoColorId)
                continue;
            if (!Near(line[x], color))
                return false;
            if (id != kNoColorId) {
                held[x] = id;
                Mark(y);
            }
        }
        return true;
    }

    // After a shape of colour `id` was painted over row y, x0 .. x1 - 1:
    // pixels known to hold another colour are known no more.
    void RunPainted(int y, int x0, int x1, quint8 id)
    {
        if (y < mMarkedTop || y >= mMarkedBottom)
            return;
        quint8* held = mHeld.data() + size_t(y) * size_t(mWidth);
        for (int x = x0; x < x1; ++x)
            held[x] = held[x] == id ? id : kUnknown;
    }

    // After anything else was painted in the device box.
    void Forget(const QRectF& deviceBox)
    {
        if (!mActive)
            return;
        if (!std::isfinite(deviceBox.left()) || !std::isfinite(deviceBox.right()) || !std::isfinite(deviceBox.top())
            || !std::isfinite(deviceBox.bottom())) {
            ForgetAll();
            return;
        }
        const int x0 = ClampX(std::floor(deviceBox.left()) - 2);
        const int x1 = ClampX(std::ceil(deviceBox.right()) + 2);
        const int y0 = ClampY(std::floor(deviceBox.top()) - 2);
        const int y1 = ClampY(std::ceil(deviceBox.bottom()) + 2);
        if (x0 >= x1)
            return;
        for (int y = std::max(y0, mMarkedTop); y < std::min(y1, mMarkedBottom); ++y)
            std::memset(mHeld.data() + size_t(y) * size_t(mWidth) + size_t(x0), kUnknown, size_t(x1 - x0));
    }

    void ForgetAll() { ClearMarked(); }

    int ClampX(double x) const { return int(std::clamp(x, 0.0, double(mWidth))); }
    int ClampY(double y) const { return int(std::clamp(y, 0.0, double(mHeight))); }

private:
    // Whether the pixel shows `color` to within kSettledTolerance over any
    // background: opaque, or on a premultiplied image so nearly opaque that
    // what may show through keeps it within. A transparent pixel holds no colour.
    bool Near(QRgb pixel, RgbColor color) const
    {
        const int deficit = 255 - qAlpha(pixel);
        if (deficit != 0 && (!mPremultiplied || deficit > kSettledTolerance))
            return false;
        const auto holds = [deficit](int value, int wanted) {
            return value >= wanted - kSettledTolerance && value + deficit <= wanted + kSettledTolerance;
        };
        return holds(qRed(pixel), int((color >> 16) & 0xFF)) && holds(qGreen(pixel), int((color >> 8) & 0xFF))
            && holds(qBlue(pixel), int(color & 0xFF));
    }

    static bool AllEqual(const quint8* bytes, int count, quint8 id)
    {
        const quint64 pattern = quint64(id) * 0x0101010101010101ull;
        int i = 0;
        quint64 differ = 0;
        for (; i + 8 <= count; i += 8) {
            quint64 chunk = 0;
            std::memcpy(&chunk, bytes + i, 8);
            differ |= chunk ^ pattern;
        }
        for (; i < count; ++i)
            differ |= quint64(bytes[i] ^ id);
        return differ == 0;
    }

    void Mark(int y)
    {
        mMarkedTop = std::min(mMarkedTop, y);
        mMarkedBottom = std::max(mMarkedBottom, y + 1);
    }

    void ClearMarked()
    {
        if (mMarkedTop < mMarkedBottom)
            std::memset(mHeld.data() + size_t(mMarkedTop) * size_t(mWidth), kUnknown,
                        size_t(mMarkedBottom - mMarkedTop) * size_t(mWidth));
        mMarkedTop = INT_MAX;
        mMarkedBottom = INT_MIN;
    }

    bool mActive = false;
    bool mPremultiplied = false;
    std::vector<quint8> mHeld;
    int mWidth = 0;
    int mHeight = 0;
    const uchar* mBits = nullptr;
    qsizetype mStride = 0;
    int mMarkedTop = INT_MAX;
    int mMarkedBottom = INT_MIN;
    std::vector<RgbColor> mColors;
    RgbColor mLastColor = 0xFFFFFFFFu;
    quint8 mLastId = kNoColorId;
};

SettledPixels& ThreadSettledPixels()
{
    thread_local SettledPixels settled;
    return settled;
}

std::vector<MaskSlot>& ThreadMasks()
{
    thread_local std::vector<MaskSlot> masks(kMaskSlots);
    return masks;
}

// A straight opaque line, or an unmoved group of up to three such lines in
// one colour and width (an arrow): what may be left out as a whole.
bool LinesOf(const Object2D& o, std::array<const CurveShape*, kMaxLinesInStamp>& lines, int& count)
{
    const auto isStampLine = [](const Object2D& item) {
        if (item.ObjectKind() != Object2D::Kind::Curve)
            return false;
        const auto& c = static_cast<const CurveShape&>(item);
        return c.Order() == 0 && c.Border() >= 100 && c.BorderWidth() > 0;
    };
    if (isStampLine(o)) {
        lines[0] = static_cast<const CurveShape*>(&o);
        count = 1;
        return true;
    }
    if (o.ObjectKind() != Object2D::Kind::Group)
        return false;
    const auto& g = static_cast<const Group2D&>(o);
    if (g.Count() < 1 || g.Count() > kMaxLinesInStamp || g.X() != 0 || g.Y() != 0 || g.Scale() != 1)
        return false;
    for (int i = 0; i < g.Count(); ++i) {
        const Object2D& item = *g.Item(i);
        if (!isStampLine(item))
            return false;
        lines[size_t(i)] = static_cast<const CurveShape*>(&item);
        if (i > 0
            && (item.BorderColor() != lines[0]->BorderColor() || item.BorderWidth() != lines[0]->BorderWidth()))
            return false;
    }
    count = g.Count();
    return true;
}

// A box holding all a shape other than a name or a group paints, in the
// coordinates it is placed in; false for names and groups.
bool ShapeBox(const Object2D& o, QRectF& box)
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
    case Object2D::Kind::Pixmap: {
        const auto& p = static_cast<const PixmapShape&>(o);
        box = QRectF(p.X() - p.SourceWidth() / 2, p.Y() - p.SourceHeight() / 2, p.SourceWidth(), p.SourceHeight())
                  .normalized();
        return true;
    }
    default:
        return false;
    }
}

// The rows a name may ink, as a box of no width at its centre: generous
// about ascent, descent and underline.
QRectF TextRows(const StringShape& s)
{
    const double size = std::ceil(std::max(s.TextSize(), 1.0));
    return QRectF(QPointF(s.X(), s.Y() - 2 * size), QPointF(s.X(), s.Y() + size));
}

// The box of a name `width` wide, also generous about italic overhang.
QRectF TextBox(const StringShape& s, double width)
{
    const double half = width / 2 + std::ceil(std::max(s.TextSize(), 1.0));
    return TextRows(s).adjusted(-half, 0, half, 0);
}

double MeasuredWidth(const StringShape& s)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(s.TextFont(), s.TextSize(), s.Bold(), s.Italic(), s.Underline());
    return measure.Width(s.Text());
}

// A width the name cannot exceed, found without measuring: printable ASCII
// advances stay well below two ems in any text font. Infinite for other text.
double UnmeasuredWidthBound(const StringShape& s)
{
    for (const QChar c : s.Text()) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return std::numeric_limits<double>::infinity();
    }
    return 2 * std::ceil(std::max(s.TextSize(), 1.0)) * double(s.Text().size());
}

// The whole area `o` paints, in the coordinates it is placed in; false when
// some coordinate is not a finite number.
bool WholeBox(const Object2D& o, QRectF& box)
{
    if (o.ObjectKind() == Object2D::Kind::String) {
        box = TextBox(static_cast<const StringShape&>(o), MeasuredWidth(static_cast<const StringShape&>(o)));
    } else if (o.ObjectKind() == Object2D::Kind::Group) {
        const auto& g = static_cast<const Group2D&>(o);
        QRectF items;
        bool any = false;
        // A name that cannot reach out sideways of what the rest paints needs
        // no measuring, and a crowded map has tens of thousands: the others
        // are looked at again once the rest is known.
        const auto rowsOnly = [&items, &any](const StringShape& name) {
            const QRectF unmeasured = TextBox(name, UnmeasuredWidthBound(name));
            if (!any || !(unmeasured.left() >= items.left() && unmeasured.right() <= items.right())
                || !std::isfinite(unmeasured.top()) || !std::isfinite(unmeasured.bottom()))
                return false;
            items.setTop(std::min(items.top(), unmeasured.top()));
            items.setBottom(std::max(items.bottom(), unmeasured.bottom()));
            return true;
        };
        const auto take = [&items, &any](const Object2D& item) {
            QRectF itemBox;
            if (!WholeBox(item, itemBox))
                return false;
            items = any ? items.united(itemBox) : itemBox;
            any = true;
            return true;
        };
        std::vector<const StringShape*> unsure;
        for (const Object2DRef& item : g.Items()) {
            if (item->ObjectKind() == Object2D::Kind::String) {
                const auto& name = static_cast<const StringShape&>(*item);
                if (!rowsOnly(name))
                    unsure.push_back(&name);
                continue;
            }
            if (!take(*item))
                return false;
        }
        for (const StringShape* name : unsure) {
            if (!rowsOnly(*name) && !take(*name))
                return false;
        }
        const QPointF topLeft(g.X() + g.Scale() * items.left(), g.Y() + g.Scale() * items.top());
        const QPointF bottomRight(g.X() + g.Scale() * items.right(), g.Y() + g.Scale() * items.bottom());
        box = QRectF(topLeft, bottomRight).normalized();
    } else if (!ShapeBox(o, box)) {
        return false;
    }
    return std::isfinite(box.left()) && std::isfinite(box.right()) && std::isfinite(box.top())
        && std::isfinite(box.bottom());
}

class Renderer
{
public:
    Renderer(QPainter& painter, bool leaveOutSettled) : mPainter(painter), mStampsFit(StampsFit(painter))
    {
        if (const std::optional<QRectF> area = VisibleDeviceArea(painter)) {
            bool invertible = false;
            const QTransform toScene = painter.deviceTransform().inverted(&invertible);
            if (invertible) {
                mVisible = toScene.mapRect(*area);
                mCull = true;
                if (leaveOutSettled && ThreadSettledPixels().Attach(painter))
                    mSettled = &ThreadSettledPixels();
            }
        }
    }

    ~Renderer()
    {
        if (mSettled != nullptr)
            mSettled->Detach();
    }

    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

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
        if (ShapeBox(o, box))
            return true;
        switch (o.ObjectKind()) {
        case Object2D::Kind::String: {
            const auto& s = static_cast<const StringShape&>(o);
            const QRectF rows = TextRows(s);
            if (rows.bottom() < mVisible.top() || rows.top() > mVisible.bottom()) {
                box = rows;
                return true;
            }
            box = TextBox(s, MeasuredWidth(s));
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
        default:
            return false;
        }
    }

    // Draws an item of a group unless it is out of sight or, stacked on
    // pixels that already hold its colour, would change nothing.
    void DrawVisible(const Object2D& o)
    {
        // What is followed pixel by pixel needs no culling: off the device it is settled.
        if (mSettled != nullptr && DrawUnlessSettled(o))
            return;
        if (!MayShow(o))
            return;
        Draw(o);
        if (mSettled != nullptr)
            ForgetPainted(o);
    }

    // After painting something the settled pixels do not follow.
    void ForgetPainted(const Object2D& o)
    {
        if (mSettled == nullptr || o.ObjectKind() == Object2D::Kind::Group)
            return;  // a group's items were followed one by one
        QRectF box;
        if (!PaintedBounds(o, box, 0)) {
            mSettled->ForgetAll();
            return;
        }
        mSettled->Forget(mPainter.deviceTransform().mapRect(box));
    }

    // Handles lines, arrows, plain filled rectangles and names: false when
    // `o` is none of these, or is drawn under a transform they do not follow.
    bool DrawUnlessSettled(const Object2D& o)
    {
        const QTransform& device = mPainter.deviceTransform();
        if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m11() != device.m22())
            return false;
        std::array<const CurveShape*, kMaxLinesInStamp> lines{};
        int count = 0;
        if (LinesOf(o, lines, count))
            return DrawLinesUnlessSettled(lines, count, device);
        if (o.ObjectKind() == Object2D::Kind::Rect) {
            if (o.Fill() < 100 || HasOutline(o))
                return false;
            const QRectF box = device.mapRect(BoxOf(static_cast<const RectShape&>(o)).normalized());
            if (!std::isfinite(box.left()) || !std::isfinite(box.right()) || !std::isfinite(box.top())
                || !std::isfinite(box.bottom()))
                return false;
            DrawBoxUnlessSettled(o, std::floor(box.left()), std::ceil(box.right()), std::floor(box.top()),
                                 std::ceil(box.bottom()), o.FillColor());
            return true;
        }
        if (o.ObjectKind() == Object2D::Kind::String) {
            const auto& s = static_cast<const StringShape&>(o);
            if (device.type() > QTransform::TxTranslate || s.Fill() < 100 || s.Italic() || s.Underline()
                || s.Text().isEmpty())
                return false;
            const double width = MeasuredWidth(s);
            // Glyphs may reach a little past their advances.
            const double overhang = 1 + std::ceil(std::max(s.TextSize(), 0.0) / 10);
            const double left = s.X() - width / 2 + device.dx();
            if (!std::isfinite(left) || !std::isfinite(width))
                return false;
            const quint8 id = mSettled->IdOf(s.FillColor());
            // Glyph by glyph where they are placed exactly as the whole text
            // places them: from a whole device pixel.
            if (std::abs(left - std::round(left)) <= 1e-9
                && CTextMeasure::Shared().PlaceGlyphs(s.Text(), s.Y() + device.dy(), mPlaces)) {
                DrawUnsettledGlyphs(s, width, overhang, device, id);
                return true;
            }
            int top = 0;
            int bottom = 0;
            if (!CTextMeasure::Shared().InkRows(s.Text(), s.Y() + device.dy(), top, bottom))
                return false;
            DrawBoxUnlessSettled(o, std::floor(left) - overhang, std::ceil(left + width) + overhang, top, bottom,
                                 s.FillColor());
            return true;
        }
        return false;
    }

    // Whether the pixels x0 .. x1 - 1, y0 .. y1 - 1 (clipped to the image) hold `color`.
    bool BoxSettled(double x0, double x1, double y0, double y1, quint8 id, RgbColor color)
    {
        const int left = mSettled->ClampX(x0);
        const int right = mSettled->ClampX(x1);
        const int bottom = mSettled->ClampY(y1);
        for (int y = mSettled->ClampY(y0); y < bottom && left < right; ++y) {
            if (!mSettled->RunHolds(y, left, right, id, color))
                return false;
        }
        return true;
    }

    void BoxPainted(double x0, double x1, double y0, double y1, quint8 id)
    {
        const int left = mSettled->ClampX(x0);
        const int right = mSettled->ClampX(x1);
        const int bottom = mSettled->ClampY(y1);
        for (int y = mSettled->ClampY(y0); y < bottom && left < right; ++y)
            mSettled->RunPainted(y, left, right, id);
    }

    // The pixels x0 .. x1 - 1, y0 .. y1 - 1 are all `o` can ink.
    void DrawBoxUnlessSettled(const Object2D& o, double x0, double x1, double y0, double y1, RgbColor color)
    {
        const quint8 id = mSettled->IdOf(color);
        if (BoxSettled(x0, x1, y0, y1, id, color))
            return;
        Draw(o);
        BoxPainted(x0, x1, y0, y1, id);
    }

    // A name on a crowded row (its glyphs in mPlaces): most of its glyphs
    // usually lie on ink of their colour, so only the others are drawn, from
    // the font's cached glyphs.
    void DrawUnsettledGlyphs(const StringShape& s, double width, double overhang, const QTransform& device, quint8 id)
    {
        CTextMeasure& measure = CTextMeasure::Shared();
        const double left = s.X() - width / 2;
        const RgbColor color = s.FillColor();
        mGlyphs.clear();
        mGlyphPositions.clear();
        mGlyphBoxes.clear();
        int inked = 0;
        for (size_t i = 0; i < mPlaces.size(); ++i) {
            const CTextMeasure::GlyphPlace& place = mPlaces[i];
            if (place.inkTop == place.inkBottom)
                continue;
            ++inked;
            const double next = i + 1 < mPlaces.size() ? mPlaces[i + 1].x : width;
            const QRectF box(QPointF(std::floor(left + place.x + device.dx()) - overhang, place.inkTop),
                             QPointF(std::ceil(left + std::max(next, place.x) + device.dx()) + overhang, place.inkBottom));
            if (BoxSettled(box.left(), box.right(), box.top(), box.bottom(), id, color))
                continue;
            mGlyphs.push_back(place.glyph);
            mGlyphPositions.push_back(QPointF(left + place.x, s.Y()));
            mGlyphBoxes.push_back(box);
        }
        if (int(mGlyphs.size()) == inked) {
            // Nothing to leave out: drawn as text, as everywhere else.
            Draw(s);
            for (const QRectF& box : mGlyphBoxes)
                BoxPainted(box.left(), box.right(), box.top(), box.bottom(), id);
            return;
        }
        if (mGlyphs.isEmpty())
            return;
        UsePen(ToColor(color, s.Fill()), 1, Qt::SquareCap, Qt::BevelJoin);
        QGlyphRun run;
        run.setRawFont(measure.RawFont());
        run.setGlyphIndexes(mGlyphs);
        run.setPositions(mGlyphPositions);
        mPainter.drawGlyphRun(QPointF(0, 0), run);
        for (const QRectF& box : mGlyphBoxes)
            BoxPainted(box.left(), box.right(), box.top(), box.bottom(), id);
    }

    bool DrawLinesUnlessSettled(const std::array<const CurveShape*, kMaxLinesInStamp>& lines, int count,
                                const QTransform& device)
    {
        QPoint anchor;
        const MaskSlot* mask = MaskOf(lines, count, device, anchor);
        if (mask == nullptr)
            return false;
        const RgbColor color = lines[0]->BorderColor();
        const quint8 id = mSettled->IdOf(color);
        if (MaskHolds(*mask, anchor, id, color))
            return true;
        if (count == 1) {
            Draw(*lines[0]);
            MaskPainted(*mask, anchor, id);
            return true;
        }
        // The shaft of an arrow is often long buried while its head is not.
        for (int i = 0; i < count; ++i) {
            const std::array<const CurveShape*, kMaxLinesInStamp> single{lines[size_t(i)]};
            const MaskSlot* lineMask = MaskOf(single, 1, device, anchor);
            if (lineMask != nullptr && MaskHolds(*lineMask, anchor, id, color))
                continue;
            Draw(*lines[size_t(i)]);
            if (lineMask != nullptr)
                MaskPainted(*lineMask, anchor, id);
        }
        return true;
    }

    // The pixels the lines ink, relative to `anchor`, the pixel of the first
    // line's start; null for lines too long or too wide to be followed. The
    // mask stays valid until the next call.
    static const MaskSlot* MaskOf(const std::array<const CurveShape*, kMaxLinesInStamp>& lines, int count,
                                  const QTransform& device, QPoint& anchor)
    {
        // Scale and translation only (checked by the caller): mapped by hand,
        // as this runs for every arrow of a map.
        const double scale = device.m11();
        const double dx = device.dx();
        const double dy = device.dy();
        const double pen = lines[0]->BorderWidth() * scale;
        if (!(pen <= kWidestStampPen))
            return nullptr;
        const double startX = lines[0]->X() * scale + dx;
        const double startY = lines[0]->Y() * scale + dy;
        if (!(std::abs(startX) <= 1e8) || !(std::abs(startY) <= 1e8))
            return nullptr;
        // Whole pixels and 1/64 pixels without the library's rounding calls.
        constexpr double kOffset = 1 << 30;
        const double ax = double(qint64(startX + kOffset)) - kOffset;
        const double ay = double(qint64(startY + kOffset)) - kOffset;
        const auto sixtyFourths = [](double v) { return qint32(qint64(v * 64 + (kOffset + 0.5)) - qint64(kOffset)); };
        MaskKey key;
        key.values[0] = count;
        key.values[1] = sixtyFourths(pen);
        for (int i = 0; i < count; ++i) {
            const CurveShape& line = *lines[size_t(i)];
            const double v[4] = {line.X() * scale + dx - ax, line.Y() * scale + dy - ay, line.X2() * scale + dx - ax,
                                 line.Y2() * scale + dy - ay};
            for (int k = 0; k < 4; ++k) {
                if (!(std::abs(v[k]) <= kLargestStamp))
                    return nullptr;
                key.values[size_t(2 + 4 * i + k)] = sixtyFourths(v[k]);
            }
        }
        quint64 hash = 1469598103934665603ull;
        for (const qint32 v : key.values)
            hash = (hash ^ quint64(quint32(v))) * 1099511628211ull;
        MaskSlot& slot = ThreadMasks()[size_t(hash >> 40) % kMaskSlots];
        if (!slot.used || !(slot.key == key))
            RenderMask(slot, key, lines, count, device, ax, ay);
        anchor = QPoint(int(ax), int(ay));
        return &slot;
    }

    bool MaskHolds(const MaskSlot& mask, QPoint anchor, quint8 id, RgbColor color)
    {
        for (const MaskRun& run : mask.runs) {
            const int row = anchor.y() + run.dy;
            if (row < 0 || row >= mSettled->Height())
                continue;
            const int x0 = mSettled->ClampX(anchor.x() + run.dx0);
            const int x1 = mSettled->ClampX(anchor.x() + run.dx1);
            if (x0 < x1 && !mSettled->RunHolds(row, x0, x1, id, color))
                return false;
        }
        return true;
    }

    void MaskPainted(const MaskSlot& mask, QPoint anchor, quint8 id)
    {
        for (const MaskRun& run : mask.runs) {
            const int row = anchor.y() + run.dy;
            if (row >= 0 && row < mSettled->Height())
                mSettled->RunPainted(row, mSettled->ClampX(anchor.x() + run.dx0),
                                     mSettled->ClampX(anchor.x() + run.dx1), id);
        }
    }

    // Finds the pixels the lines ink by painting them, as DrawCurve does, at
    // the same place within a pixel on a scratch image.
    static void RenderMask(MaskSlot& slot, const MaskKey& key, const std::array<const CurveShape*, kMaxLinesInStamp>& lines,
                           int count, const QTransform& device, double ax, double ay)
    {
        double minX = 0;
        double minY = 0;
        double maxX = 0;
        double maxY = 0;
        for (int i = 0; i < count; ++i) {
            const CurveShape& line = *lines[size_t(i)];
            for (const QPointF& p : {QPointF(line.X(), line.Y()), QPointF(line.X2(), line.Y2())}) {
                const QPointF d = device.map(p) - QPointF(ax, ay);
                minX = std::min(minX, d.x());
                minY = std::min(minY, d.y());
                maxX = std::max(maxX, d.x());
                maxY = std::max(maxY, d.y());
            }
        }
        const int ox = int(std::floor(minX)) - kMaskMargin;
        const int oy = int(std::floor(minY)) - kMaskMargin;
        const int width = int(std::ceil(maxX)) - ox + kMaskMargin + 1;
        const int height = int(std::ceil(maxY)) - oy + kMaskMargin + 1;
        QImage scratch(width, height, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        {
            QPainter painter(&scratch);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setWorldTransform(QTransform(device.m11(), device.m12(), device.m21(), device.m22(),
                                                 device.dx() - ax - ox, device.dy() - ay - oy));
            for (int i = 0; i < count; ++i) {
                const CurveShape& line = *lines[size_t(i)];
                painter.setPen(QPen(QColor(0, 0, 0), line.BorderWidth(), Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
                painter.drawLine(QPointF(line.X(), line.Y()), QPointF(line.X2(), line.Y2()));
            }
        }
        slot.runs.clear();
        for (int sy = 0; sy < height; ++sy) {
            const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(sy));
            for (int sx = 0; sx < width;) {
                if (qAlpha(row[sx]) == 0) {
                    ++sx;
                    continue;
                }
                const int begin = sx;
                while (sx < width && qAlpha(row[sx]) != 0)
                    ++sx;
                slot.runs.push_back({oy + sy, ox + begin, ox + sx});
            }
        }
        slot.key = key;
        slot.used = true;
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
        const double width = MeasuredWidth(s);
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
                DrawVisible(*items[size_t(i)]);
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
                for (int k = i; k < end; ++k)
                    DrawVisible(*items[size_t(k)]);
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
            const auto& head = static_cast<const OvalShape&>(*pin.Item(1));
            if (!DrawHeadFromStamp(head))
                Draw(head);
            ForgetPainted(*pin.Item(0));
            ForgetPainted(*pin.Item(1));
        }
    }

    // Copies the head from its stamp (see kStampPhases); false when it must
    // be painted as it is.
    bool DrawHeadFromStamp(const OvalShape& head)
    {
        if (!mStampsFit)
            return false;
        const QTransform& device = mPainter.deviceTransform();
        if (device.type() > QTransform::TxScale || device.m11() != device.m22() || device.m11() <= 0)
            return false;
        const bool fill = HasFill(head);
        const bool outline = HasOutline(head);
        if (!fill && !outline)
            return true;  // nothing to paint
        const double pen = outline ? head.BorderWidth() * device.m11() : 0;
        const QRectF box = device.mapRect(BoxOf(head));
        if (!(box.width() > 0 && box.height() > 0 && box.width() <= kLargestStampedHead
              && box.height() <= kLargestStampedHead && pen <= kLargestStampedHead)
            || !(std::abs(box.x()) < 1e8 && std::abs(box.y()) < 1e8))
            return false;
        // The placement, to the nearest sixteenth of a pixel, as a whole pixel and a phase.
        const qint64 stepsX = std::llround(box.x() * kStampPhases);
        const qint64 stepsY = std::llround(box.y() * kStampPhases);
        const qint64 pixelX = stepsX >= 0 ? stepsX / kStampPhases : -((-stepsX + kStampPhases - 1) / kStampPhases);
        const qint64 pixelY = stepsY >= 0 ? stepsY / kStampPhases : -((-stepsY + kStampPhases - 1) / kStampPhases);
        const int phaseX = int(stepsX - pixelX * kStampPhases);
        const int phaseY = int(stepsY - pixelY * kStampPhases);
        const QColor fillColor = fill ? ToColor(head.FillColor(), head.Fill()) : QColor(Qt::transparent);
        const QColor penColor = outline ? ToColor(head.BorderColor(), head.Border()) : QColor(Qt::transparent);
        HeadStampKey key;
        key.values = {BitsOf(box.width()), BitsOf(box.height()), BitsOf(pen),
                      (qint64(fill) << 32) | qint64(fillColor.rgba()), (qint64(outline) << 32) | qint64(penColor.rgba()),
                      phaseX, phaseY};
        // Room for the pen and for antialiasing around the ellipse.
        const int margin = int(std::ceil(pen / 2)) + 2;
        auto found = mStamps.find(key);
        if (found == mStamps.end()) {
            if (mStamps.size() >= kMostStamps)
                mStamps.clear();
            QImage stamp(int(std::ceil(box.width())) + 2 * margin + 1, int(std::ceil(box.height())) + 2 * margin + 1,
                         QImage::Format_ARGB32_Premultiplied);
            if (stamp.isNull())
                return false;
            stamp.fill(Qt::transparent);
            QPainter painter(&stamp);
            painter.setRenderHint(QPainter::Antialiasing, true);
            if (fill)
                painter.setBrush(fillColor);
            else
                painter.setBrush(Qt::NoBrush);
            if (outline)
                painter.setPen(QPen(penColor, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            else
                painter.setPen(Qt::NoPen);
            painter.drawEllipse(QRectF(margin + double(phaseX) / kStampPhases, margin + double(phaseY) / kStampPhases,
                                       box.width(), box.height()));
            painter.end();
            found = mStamps.emplace(key, std::move(stamp)).first;
        }
        const QTransform world = mPainter.worldTransform();
        mPainter.setWorldTransform(QTransform());
        mPainter.drawImage(QPoint(int(pixelX) - margin, int(pixelY) - margin), found->second);
        mPainter.setWorldTransform(world);
        return true;
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
        if (mSettled != nullptr) {
            const Sector& s = mRun.front();
            mSettled->Forget(device.mapRect(QRectF(s.cx - outerMax, s.cy - outerMax, 2 * outerMax, 2 * outerMax)));
        }
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
    // Set on image devices: what their pixels are known to hold.
    SettledPixels* mSettled = nullptr;
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
    std::vector<CTextMeasure::GlyphPlace> mPlaces;
    QList<quint32> mGlyphs;
    QList<QPointF> mGlyphPositions;
    std::vector<QRectF> mGlyphBoxes;
    std::vector<Sector> mRun;
    std::vector<bool> mPinDrawn;
    std::unordered_set<PinLook, PinLookHash> mPinLooks;
    const bool mStampsFit;
    std::unordered_map<HeadStampKey, QImage, HeadStampKeyHash> mStamps;
    std::vector<int> mOwner;
    std::vector<int> mNextFree;
    std::vector<int> mStack;
    QPolygonF mPolygon;
};

}

void CSceneRenderer::DrawObject(QPainter& painter, const Object2D& object, double x, double y, Stacked stacked)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(x, y);
    Renderer renderer(painter, stacked == Stacked::LeaveOutSettled);
    renderer.Draw(object);
    painter.restore();
}

std::optional<QRectF> CSceneRenderer::PaintedArea(const Object2D& object)
{
    QRectF box;
    if (!WholeBox(object, box))
        return std::nullopt;
    return box;
}
