#include "views/CCircleViewConfig.h"

#include "core/MTextFile.h"
#include "storage/CPreferences.h"
#include "views/CGenomeArcShape.h"
#include "views/CTextMeasure.h"
#include "views/MCircleViewRules.h"
#include "views/MViewRules.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/OvalShape.h"
#include "views/RectShape.h"
#include "views/SortedArray.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"

namespace {

const char* const kArcRadii = "250,230,210,190,170,150,130";
const char* const kPreviewArcRadii = "270,250,230,210,190,170,150";
const char* const kPlacementNames = "Circle1,Circle2,Circle3,Circle4,Circle5,Pin1,Pin2";

constexpr int kRingCount = 5;
constexpr int kPin1 = 5;
constexpr int kPin2 = 6;
constexpr int kBoundaryCount = 6;
constexpr RgbColor kBlack = 0x000000;
constexpr double kTwoPi = 6.283185307179586;

constexpr int kViewWidth = 840;
constexpr int kViewHeight = 600;

constexpr int kPreviewGenomeLength = 360;
constexpr int kPreviewCenterX = 45;
constexpr int kPreviewCenterY = 350;

bool IsRing(int placement)
{
    return placement >= 0 && placement < kRingCount;
}

bool IsPin(int placement)
{
    return placement == kPin1 || placement == kPin2;
}

std::vector<int32_t> SplitRadii(const char* text)
{
    std::vector<int32_t> radii;
    for (int value : MTextFile::SplitIntegers(QString::fromLatin1(text), QStringLiteral(",")))
        radii.push_back(value);
    return radii;
}

StringShapeRef MakeText(const QString& text, const QString& font, int size, double x, double y, int code)
{
    auto shape = std::make_shared<StringShape>();
    shape->SetTextFont(font);
    shape->SetTextSize(size);
    MStringShapeExt::SetString(*shape, text, x, y, code);
    return shape;
}

// A legend swatch in the entry's colour: square for a ring, round like a pin head.
Object2DRef MakeSwatch(int placement, RgbColor color, double centerX, double centerY, double size)
{
    RectShapeRef swatch;
    if (IsPin(placement)) {
        auto oval = std::make_shared<OvalShape>();
        oval->SetSegments(static_cast<int>(size * 31.4 * 10));
        swatch = oval;
    } else {
        swatch = std::make_shared<RectShape>();
    }
    MShape::SetRect(*swatch, centerX - size / 2, centerY - size / 2, size, size);
    swatch->SetFillColor(color);
    swatch->SetBorder(100);
    return swatch;
}

}  // namespace

CCircleViewConfig::CCircleViewConfig(const QString& name)
    : CViewConfig(name, QString::fromLatin1(CPreferences::kViewPrinterSettingCircle))
{
    mDrawScale = true;
    mScaleType = 0;
    mScaleDivides = 10;
    mScaleLength = -1;
    mDrawFrame.clear();
    mArcR = SplitRadii(kArcRadii);
    mOuterFrame = 0;
    mInnerFrame = 0;
    mPreviewArcR = SplitRadii(kPreviewArcRadii);
}

CCircleViewConfig::~CCircleViewConfig()
{
    mGroup2D.reset();
}

QString CCircleViewConfig::Edit(ProjectWdw* window)
{
    // Editing through the wizard belongs to the windows layer.
    return CViewConfig::Edit(window);
}

void CCircleViewConfig::Copy(const CViewConfig& other)
{
    CViewConfig::Copy(other);
    if (const auto* circle = dynamic_cast<const CCircleViewConfig*>(&other)) {
        mDrawScale = circle->mDrawScale;
        mScaleType = circle->mScaleType;
        mScaleDivides = circle->mScaleDivides;
        mScaleLength = circle->mScaleLength;
    }
}

bool CCircleViewConfig::IsEqual(const CViewConfig& other) const
{
    const auto* circle = dynamic_cast<const CCircleViewConfig*>(&other);
    return circle && CViewConfig::IsEqual(other) && mDrawScale == circle->mDrawScale
        && mScaleType == circle->mScaleType && mScaleDivides == circle->mScaleDivides
        && mScaleLength == circle->mScaleLength;
}

QString CCircleViewConfig::NewView(ProjectWdw* window)
{
    // Creating through the wizard belongs to the windows layer.
    return CViewConfig::NewView(window);
}

std::unique_ptr<CViewConfig> CCircleViewConfig::NewConfig() const
{
    return std::make_unique<CCircleViewConfig>(QString());
}

int CCircleViewConfig::PlacementTypeCount() const
{
    return 7;
}

QString CCircleViewConfig::PlacementTypeStr(int placement) const
{
    const QStringList names = QString::fromLatin1(kPlacementNames).split(QLatin1Char(','));
    if (placement < 0 || placement >= names.size())
        return QString();
    return names[placement];
}

int32_t CCircleViewConfig::DefaultPlacement() const
{
    return 0;
}

int CCircleViewConfig::ViewWidth() const
{
    return kViewWidth;
}

int CCircleViewConfig::ViewHeight() const
{
    return kViewHeight;
}

void CCircleViewConfig::SetDrawScale(bool draw)
{
    mDrawScale = draw;
}

bool CCircleViewConfig::DrawScale() const
{
    return mDrawScale;
}

void CCircleViewConfig::SetScaleType(int32_t type)
{
    mScaleType = type;
}

int32_t CCircleViewConfig::ScaleType() const
{
    return mScaleType;
}

void CCircleViewConfig::SetScaleDivides(int32_t divides)
{
    mScaleDivides = divides;
}

int32_t CCircleViewConfig::ScaleDivides() const
{
    return mScaleDivides;
}

void CCircleViewConfig::SetScaleLength(int32_t length)
{
    mScaleLength = length;
}

int32_t CCircleViewConfig::ScaleLength() const
{
    return mScaleLength;
}

QString CCircleViewConfig::FormatWhole(double value)
{
    return QString::number(static_cast<qint64>(std::llround(value)));
}

QString CCircleViewConfig::FormatTwoDecimals(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

void CCircleViewConfig::MarkFrame(int boundary)
{
    if (boundary >= 0 && boundary < static_cast<int>(mDrawFrame.size()))
        mDrawFrame[size_t(boundary)] = true;
}

bool CCircleViewConfig::NeedsMarkerNames() const
{
    return false;
}

void CCircleViewConfig::MakeViewImage()
{
    CViewConfig::MakeViewImage();
    mDrawFrame.assign(kBoundaryCount, false);
    if (mMarker.empty() || !SettingsProblem().isEmpty())
        return;
    DrawMarker();
    DrawMarkerFrame();
    if (mDrawScale)
        DrawMarkerScale();
    if (mDrawTitle)
        DrawViewTitle();
    if (mDrawLegendTitle)
        DrawLegendFrame();
}

void CCircleViewConfig::DrawMarker()
{
    if (mMarker.empty())
        return;
    CGenomeArcShape arc;
    arc.SetGenomeLength(mGenomeLength);
    arc.SetCenterX(kCenterX);
    arc.SetCenterY(kCenterY);
    SortedArray::Array_Sort(mMarker);

    const auto R = [this](int k) { return mArcR.at(size_t(k)); };
    // b: where Pin1 pins stand; c: inner edge of the current ring; d: where Pin2 pins stand.
    int previous = mMarker.front().Placement;
    int b = 0;
    int c = 0;
    int d = 0;
    if (IsRing(previous)) {
        b = R(previous + 1);
        c = R(previous + 2);
        d = c;
        MarkFrame(previous);
        MarkFrame(previous + 1);
        mOuterFrame = previous;
        mInnerFrame = previous + 1;
        arc.SetArcR(b);
    } else {
        b = R(1);
        c = 0;
        d = b;
        MarkFrame(0);
        mOuterFrame = 0;
        mInnerFrame = 0;
    }

    mGroup2D->Reserve(mGroup2D->Count() + static_cast<int>(mMarker.size()) + kRingCount);
    for (const CMarkerData& marker : mMarker) {
        const int placement = marker.Placement;
        if (placement != previous) {
            if (IsRing(previous)) {
                // One white disc hides the inner parts of all wedges of the ring.
                arc.SetArcR(c);
                mGroup2D->Append(arc.MakeWhiteMask());
            }
            if (IsRing(placement)) {
                arc.SetArcR(R(placement + 1));
                c = R(placement + 2);
                d = c;
                MarkFrame(placement);
                MarkFrame(placement + 1);
                mInnerFrame = placement + 1;
            }
            previous = placement;
        }
        if (IsRing(placement)) {
            mGroup2D->Append(arc.MakeShape(marker.StartLocation, marker.EndLocation, marker.DrawColor));
        } else if (placement == kPin1) {
            arc.SetArcR(b);
            mGroup2D->Append(arc.MakePin(marker.StartLocation, 12, 8, marker.DrawColor, kBlack));
        } else if (placement == kPin2) {
            arc.SetArcR(d);
            mGroup2D->Append(arc.MakePin(marker.StartLocation, -12, 8, marker.DrawColor, kBlack));
        }
    }
    if (IsRing(previous)) {
        arc.SetArcR(c);
        mGroup2D->Append(arc.MakeWhiteMask());
    }
}

void CCircleViewConfig::DrawMarkerFrame()
{
    CGenomeArcShape arc;
    arc.SetGenomeLength(mGenomeLength);
    arc.SetCenterX(kCenterX);
    arc.SetCenterY(kCenterY);
    for (int k = 0; k < kBoundaryCount && k < static_cast<int>(mDrawFrame.size()); ++k) {
        if (!mDrawFrame[size_t(k)])
            continue;
        arc.SetArcR(mArcR.at(size_t(k + 1)));
        mGroup2D->Append(arc.MakeFrame(kBlack));
    }
}

void CCircleViewConfig::DrawMarkerScale()
{
    const qint64 genome = mGenomeLength;
    // Without a genome length or a usable step there is no circle to divide.
    if (genome <= 0)
        return;
    const bool byDivides = mScaleType == 0;
    const qint64 divides = mScaleDivides;
    const qint64 length = mScaleLength;
    if (byDivides ? divides < 1 : length < 1)
        return;
    // Ticks are numbered from 0; the length scale ends with the genome's own
    // tick when the last step falls short of it.
    const qint64 fullSteps = byDivides ? divides : genome / length;
    const qint64 tickCount = byDivides ? divides : fullSteps + ((fullSteps == 0 || length * fullSteps < genome) ? 1 : 0);
    const auto position = [&](qint64 i) {
        if (byDivides)
            return static_cast<double>(genome) / static_cast<double>(divides) * static_cast<double>(i + 1);
        return static_cast<double>(i < fullSteps ? length * (i + 1) : genome);
    };
    const auto label = [&](qint64 i) {
        if (byDivides) {
            return FormatWhole(100.0 / static_cast<double>(divides) * static_cast<double>(i + 1))
                + QStringLiteral("min,(") + FormatTwoDecimals(position(i)) + QStringLiteral(")");
        }
        return FormatWhole(position(i));
    };

    const double outer = mArcR.at(size_t(mOuterFrame));
    const double inner = mArcR.at(size_t(mInnerFrame + 1));
    // No more ticks than pixels of circumference: finer ticks could not be
    // told apart, and a 1 bp scale on a long genome would be millions of shapes.
    const qint64 room = std::max<qint64>(1, static_cast<qint64>(kTwoPi * outer));
    const qint64 stride = tickCount > room ? (tickCount + room - 1) / room : 1;

    CTextMeasure& measure = CTextMeasure::Shared();
    // Boxes of the labels kept so far; a label that would overlap one of the
    // latest or one of the first (the circle closes on them) is left out.
    struct Box {
        double left, top, right, bottom;
        bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    };
    std::vector<Box> kept;
    static constexpr size_t kNeighbours = 8;
    const auto fits = [&kept](const Box& box) {
        const size_t n = kept.size();
        for (size_t k = 0; k < std::min(n, kNeighbours); ++k) {
            if (box.Overlaps(kept[n - 1 - k]) || box.Overlaps(kept[k]))
                return false;
        }
        return true;
    };

    const auto drawTick = [&](qint64 i) {
        const double theta = kTwoPi * position(i) / static_cast<double>(genome);
        const double x1 = kCenterX + outer * std::sin(theta);
        const double y1 = kCenterY - outer * std::cos(theta);
        const double x2 = kCenterX + inner * std::sin(theta);
        const double y2 = kCenterY - inner * std::cos(theta);

        auto tick = std::make_shared<CurveShape>();
        tick->SetOrder(0);
        tick->SetBorderWidth(0.5);
        tick->SetBorderColor(kBlack);
        tick->SetX(x1);
        tick->SetY(y1);
        tick->SetX2(x2);
        tick->SetY2(y2);
        mGroup2D->Append(tick);

        // The label stands outside the circle beside its tick.
        int code = 0;
        if (std::lround(x1) == std::lround(x2))
            code = 0;
        else if (x2 < x1)
            code = 1;
        else
            code = 2;
        if (std::lround(y1) == std::lround(y2))
            code += 4;
        else if (y1 < y2)
            code += 12;
        else
            code += 8;
        StringShapeRef text = MakeText(label(i), QStringLiteral("Arial"), 10, x1, y1, code);
        measure.SetFont(text->TextFont(), text->TextSize(), false, false, false);
        const double halfWidth = measure.Width(text->Text()) / 2;
        const Box box{text->X() - halfWidth, text->Y() - measure.Ascent(), text->X() + halfWidth,
                      text->Y() - measure.Ascent() + measure.LineHeight()};
        if (!fits(box))
            return;
        kept.push_back(box);
        mGroup2D->Append(text);
    };

    const qint64 last = tickCount - 1;
    for (qint64 i = stride - 1; i < last && last - i >= stride; i += stride)
        drawTick(i);
    drawTick(last);
}

void CCircleViewConfig::DrawViewTitle()
{
    mGroup2D->Append(MakeText(Name(), QStringLiteral("Arial"), 20, kCenterX, 20, 0));
}

void CCircleViewConfig::DrawLegendFrame()
{
    mGroup2D->Append(MakeText(LegendTitle(), QStringLiteral("Arial"), 15, 720, 70, 0));
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        const int y = 70 + 15 * (i + 1);
        const int placement = Placement(i);
        if (!IsRing(placement) && !IsPin(placement))
            break;
        mGroup2D->Append(MakeSwatch(placement, DrawColor(i), 655, y - 5, 10));
        mGroup2D->Append(MakeText(LegendName(i), QStringLiteral("Arial"), 12, 665, y, 1));
    }
    auto frame = std::make_shared<RectShape>();
    MShape::SetRect(*frame, 640, 50, 160, 15 * count + 30);
    frame->SetFill(0);
    frame->SetBorder(100);
    mGroup2D->Append(frame);
}

void CCircleViewConfig::MakePreviewImage()
{
    CViewConfig::MakePreviewImage();
    mDrawFrame.assign(kBoundaryCount, false);
    const auto P = [this](int k) { return mPreviewArcR.at(size_t(k)); };

    CGenomeArcShape arc;
    arc.SetGenomeLength(kPreviewGenomeLength);
    arc.SetCenterX(kPreviewCenterX);
    arc.SetCenterY(kPreviewCenterY);
    int outer = 0;
    int inner = P(1);
    const int count = Count();

    for (int ring = 0; ring < kRingCount; ++ring) {
        std::vector<RgbColor> colors;
        for (int i = 0; i < count; ++i) {
            if (Placement(i) == ring)
                colors.push_back(DrawColor(i));
        }
        if (colors.empty())
            continue;
        MarkFrame(ring);
        MarkFrame(ring + 1);
        const int f = P(ring + 1);
        const int h = P(ring + 2);
        // The entries share the quarter from 1 to 91 degrees, one sector each.
        arc.SetArcR(f + 1);
        const double step = 90.0 / static_cast<double>(colors.size());
        double m = 1;
        for (RgbColor color : colors) {
            mPreview->Append(arc.MakeShape(static_cast<int>(m), static_cast<int>(m + step), color));
            m += step;
        }
        arc.SetArcR(h);
        mPreview->Append(arc.MakeWhiteMask());
        arc.SetArcR((f + h) / 2);
        mPreview->Append(arc.MakeString(0, QString::number(ring + 1), QStringLiteral("Arial"), 14, 6));
        outer = std::max(outer, f);
        inner = std::min(inner, h);
    }

    for (int k = 0; k < kBoundaryCount; ++k) {
        if (!mDrawFrame[size_t(k)])
            continue;
        arc.SetArcR(P(k + 1));
        mPreview->Append(arc.MakeFrame(1, 90, kBlack));
    }
    if (outer < inner) {
        // No ring in use: one frame shows where the first ring would be.
        arc.SetArcR(inner);
        mPreview->Append(arc.MakeFrame(1, 90, kBlack));
        outer = inner;
    }

    for (int pin : {kPin1, kPin2}) {
        for (int i = 0; i < count; ++i) {
            if (Placement(i) != pin)
                continue;
            arc.SetArcR(pin == kPin1 ? outer : inner);
            mPreview->Append(arc.MakePin(45, pin == kPin1 ? 12 : -12, 8, DrawColor(i), kBlack));
            break;
        }
    }

    if (mDrawTitle)
        mPreview->Append(MakeText(Name(), QStringLiteral("Arial"), 20, 145, 20, 0));
    if (mDrawLegendTitle) {
        auto frame = std::make_shared<RectShape>();
        MShape::SetRect(*frame, 45, 30, 200, 60);
        frame->SetBorder(100);
        frame->SetFill(0);
        mPreview->Append(frame);
        mPreview->Append(MakeText(LegendTitle(), QStringLiteral("Arial"), 12, 145, 45, 0));
        for (int k = 0; k < 3 && k < count; ++k) {
            const int y = 57 + 12 * k;
            const int placement = Placement(k);
            if (!IsRing(placement) && !IsPin(placement))
                break;
            mPreview->Append(MakeSwatch(placement, DrawColor(k), 79, y - 4, 8));
            mPreview->Append(MakeText(LegendName(k), QStringLiteral("Arial"), 10, 90, y, 1));
        }
    }
}

namespace {

const QString kCircleViewTag = QStringLiteral("vcir");

QString CircleWriteError(const char* step)
{
    return CBinaryFileTool::WriteErrorMessage(QStringLiteral("CircleViewConfig.") + QLatin1String(step));
}

QString CircleReadError(const char* step)
{
    return CBinaryFileTool::ReadErrorMessage(QStringLiteral("CircleViewConfig.") + QLatin1String(step));
}

}  // namespace

QString CCircleViewConfig::Save(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kCircleViewTag))
        return CircleWriteError("0");
    io.WriteInt32(0);  // reserved
    const QString message = CViewConfig::Save(io);
    if (!message.isEmpty())
        return message;
    io.WriteBoolean(mDrawScale);
    if (io.Error())
        return CircleWriteError("1");
    io.WriteInt32(mScaleDivides);
    if (io.Error())
        return CircleWriteError("2");
    io.WriteInt32(mScaleLength);
    if (io.Error())
        return CircleWriteError("3");
    io.WriteInt32(mScaleType);
    if (io.Error())
        return CircleWriteError("4");
    if (tool.EndBlock() < 0)
        return CircleWriteError("9");
    return QString();
}

QString CCircleViewConfig::Restore(CBinaryStream& io, const IProjectFiles& project)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kCircleViewTag))
        return CircleReadError("0");
    io.ReadInt32();  // reserved
    const QString message = CViewConfig::Restore(io, project);
    if (!message.isEmpty())
        return message;
    mDrawScale = io.ReadBoolean();
    if (io.Error())
        return CircleReadError("1");
    mScaleDivides = io.ReadInt32();
    if (io.Error())
        return CircleReadError("2");
    mScaleLength = io.ReadInt32();
    if (io.Error())
        return CircleReadError("3");
    mScaleType = io.ReadInt32();
    if (io.Error())
        return CircleReadError("4");
    if (tool.EndBlock() != 0)
        return CircleReadError("9");
    KeepSettingsInRange();
    return QString();
}

void CCircleViewConfig::KeepSettingsInRange()
{
    // A file may hold what no wizard accepts: values are taken to the nearest
    // one it does. Divides outside the popup's numbers would mean no ticks
    // or billions of them.
    const QList<int32_t> divides = MCircleViewRules::ScaleDividesChoices();
    mScaleDivides = std::clamp(mScaleDivides, divides.front(), divides.back());
    if (mScaleType != 0)
        mScaleType = 1;
    for (int32_t& placement : mPlacement)
        placement = std::clamp(placement, int32_t(0), int32_t(kPin2));
}

QString CCircleViewConfig::SettingsProblem() const
{
    const QString problem = CViewConfig::SettingsProblem();
    if (!problem.isEmpty())
        return problem;
    // The wizard refuses the length scale without a length, drawn or not.
    if (mScaleType == 1 && mScaleLength < 1)
        return QString::fromUtf8(MViewRules::kScaleLengthInvalid);
    return QString();
}
