#include "linear/CLinearViewConfig.h"

#include "core/CFileData.h"
#include "core/MTextFile.h"
#include "linear/CLinearShape.h"
#include "linear/MLinearViewRules.h"
#include "views/CMarkerDataSortLocFunc.h"
#include "views/CTextMeasure.h"
#include "views/CurveShape.h"
#include "views/IPopupMenu.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/RectShape.h"
#include "views/SortedArray.h"
#include "views/StringShape.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <deque>
#include <cmath>
#include <stdexcept>
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"

namespace {

// MStringShapeExt anchor codes.
constexpr int kCentreOnBaseline = 0;
constexpr int kBeginOnBaseline = 1;
constexpr int kEndOnBaseline = 2;
constexpr int kCentreOnTop = 8;
constexpr int kBeginOnTop = 9;

constexpr double kGridWidth = 0.5;
constexpr double kNameSize = 10;
constexpr int kPageMargin = 15;
// Taller than any picture's stripes can reach, far from int's limit.
constexpr int kMostPageHeight = 1 << 30;

constexpr int kPreviewLeft = 45;
constexpr int kPreviewRowWidth = 200;
constexpr double kPreviewSampleSpan = 199;

StringShapeRef Text(const QString& text, const QString& font, double size, double x, double y, int code)
{
    auto shape = std::make_shared<StringShape>();
    shape->SetTextFont(font);
    shape->SetTextSize(size);
    MStringShapeExt::SetString(*shape, text, x, y, code);
    return shape;
}

CurveShapeRef Line(double x1, double y1, double x2, double y2)
{
    auto line = std::make_shared<CurveShape>();
    line->SetX(x1);
    line->SetY(y1);
    line->SetX2(x2);
    line->SetY2(y2);
    return line;
}

CurveShapeRef GridLine(double x, double y1, double y2)
{
    auto line = Line(x, y1, x, y2);
    line->SetBorderColor(CLinearViewConfig::kGridColor);
    line->SetBorderWidth(kGridWidth);
    return line;
}

// An outline only: the default border colour and width, nothing filled.
RectShapeRef FrameRect(double left, double top, double width, double height)
{
    auto rect = std::make_shared<RectShape>();
    MShape::SetRect(*rect, left, top, width, height);
    rect->SetBorder(100);
    rect->SetFill(0);
    return rect;
}

QString LocationLabel(qint64 location)
{
    return MTextFile::LocateString(location) + QStringLiteral("bp");
}

double TextWidth(const QString& text, const QString& font, double size)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(font, size, false, false, false);
    return measure.Width(text);
}

// Halves go away from zero.
int RoundToInt(double value)
{
    return int(std::lround(value));
}

}  // namespace

CLinearViewConfig::CLinearViewConfig(const QString& name)
    : CViewConfig(name, QStringLiteral("ViewPrinterSettingLinear"))
{
}

CLinearViewConfig::~CLinearViewConfig() = default;

void CLinearViewConfig::Copy(const CViewConfig& source)
{
    CViewConfig::Copy(source);
    if (const auto* linear = dynamic_cast<const CLinearViewConfig*>(&source)) {
        mDrawMarkerNames = linear->mDrawMarkerNames;
        mStart = linear->mStart;
        mEnd = linear->mEnd;
        mScale = linear->mScale;
    }
}

bool CLinearViewConfig::IsEqual(const CViewConfig& other) const
{
    const auto* linear = dynamic_cast<const CLinearViewConfig*>(&other);
    if (linear == nullptr || !CViewConfig::IsEqual(other))
        return false;
    return mDrawMarkerNames == linear->mDrawMarkerNames && mStart == linear->mStart && mEnd == linear->mEnd
        && mScale == linear->mScale;
}

int CLinearViewConfig::Type(int index) const
{
    if (Placement(index) == kUpper)
        return kRectangle;
    return mPlacement[size_t(index)] >> 2;
}

void CLinearViewConfig::SetEndLocate(int value)
{
    mEnd = value == MaximumLocate() ? -1 : value;
}

int CLinearViewConfig::EndLocate() const
{
    return mEnd > 0 ? mEnd : MaximumLocate();
}

std::unique_ptr<CViewConfig> CLinearViewConfig::NewConfig() const
{
    return std::make_unique<CLinearViewConfig>(QString());
}

void CLinearViewConfig::Add(CFileData* file, const QString& className, const QString& legendName, int placement,
                            int type, RgbColor color)
{
    CViewConfig::Add(file, className, legendName, placement + type * 4, color);
}

void CLinearViewConfig::Set(int index, CFileData* file, const QString& className, const QString& legendName,
                            int placement, int type, RgbColor color)
{
    CViewConfig::Set(index, file, className, legendName, placement + type * 4, color);
}

void CLinearViewConfig::Add(CFileData*, const QString&, const QString&, int, RgbColor)
{
    throw std::runtime_error("A linear view entry needs a marker type");
}

void CLinearViewConfig::Set(int, CFileData*, const QString&, const QString&, int, RgbColor)
{
    throw std::runtime_error("A linear view entry needs a marker type");
}

QString CLinearViewConfig::PlacementTypeStr(int index) const
{
    switch (index) {
    case kUpper: return QStringLiteral("Upper");
    case kBottom: return QStringLiteral("Bottom");
    default: return QString();
    }
}

QString CLinearViewConfig::TypeTypeStr(int index) const
{
    switch (index) {
    case kRectangle: return QStringLiteral("Rectangle");
    case kOval: return QStringLiteral("Oval");
    case kArrow: return QStringLiteral("Arrow");
    default: return QString();
    }
}

QString CLinearViewConfig::TypeName(int index) const
{
    return TypeTypeStr(Type(index));
}

void CLinearViewConfig::SetupTypePopup(IPopupMenu& popup) const
{
    popup.DeleteAllRows();
    for (int type = 0; type < TypeTypeCount(); ++type)
        popup.AddRow(TypeTypeStr(type));
    popup.SetListIndex(0);
}

int32_t CLinearViewConfig::Placement(int index) const
{
    return mPlacement[size_t(index)] & 3;
}

QString CLinearViewConfig::PlacementName(int index) const
{
    const int32_t placement = Placement(index);
    return placement < PlacementTypeCount() ? PlacementTypeStr(placement) : QString();
}

int CLinearViewConfig::SampleDirection(int index, bool upperIsUndirected) const
{
    if (upperIsUndirected && Placement(index) == kUpper)
        return -1;
    const CFileData* file = mFile[size_t(index)];
    if (file == nullptr || file->Config(CFileData::kRoleDirection) < 0)
        return -1;
    return 0;
}

void CLinearViewConfig::MakeViewImage()
{
    mDrawBottom = false;
    for (int i = 0; i < Count(); ++i) {
        if (Placement(i) == kBottom)
            mDrawBottom = true;
    }
    CViewConfig::MakeViewImage();
    mImage = std::make_shared<CStripedVectorImage>();

    const double span = double(EndLocate()) - double(StartLocate());
    // Settings no wizard accepts (an empty or reversed range, more rows than
    // can be built, no genome length) give the title and legend only; so does
    // a scale of 0 or less, which would divide by zero.
    const bool rowsPossible = mScale > 0 && span > 0 && SettingsProblem().isEmpty();
    mMapCount = rowsPossible ? int(std::ceil(span / double(mScale))) : 0;

    SortedArray::Array_Sort(mMarker, CMarkerDataSortLocFunc());

    int y = kFirstStripeTop;
    int stripesAbove = 0;
    if (DrawTitle()) {
        DrawViewTitle(y);
        ++stripesAbove;
    }
    if (DrawLegendTitle() && !SummaryView()) {
        DrawLegendFrame(y);
        ++stripesAbove;
    }
    DrawMarker();
    DrawBaseFrame(stripesAbove);

    // Rows were drawn at top 0; move each below the one before it.
    if (mImage->Count() > stripesAbove) {
        mImage->SetTop(stripesAbove, y);
        for (int i = stripesAbove + 1; i < mImage->Count(); ++i)
            mImage->SetTop(i, mImage->Top(i - 1) + mImage->Height(i - 1) + kRowGap);
    }

    if (mImage->Count() > 0) {
        mImage->SetCurrent(-1);
        mViewHeight = mImage->Top(-1) + mImage->Height(-1) + kBottomSpace;
    } else {
        mViewHeight = kFirstStripeTop + kBottomSpace;
    }
    CalcPage();
}

void CLinearViewConfig::DrawViewTitle(int& y)
{
    constexpr int kTitleHeight = 30;
    mImage->NewImage(y, kTitleHeight);
    mImage->Append(Text(Name(), QStringLiteral("Arial"), 20, kViewWidth / 2, y, kCentreOnTop));
    y += kTitleHeight;
}

void CLinearViewConfig::DrawLegendFrame(int& y)
{
    const int top = y;
    const int count = Count();
    mImage->NewImage(top, 0);
    mImage->Append(Text(LegendTitle(), QStringLiteral("Arial"), 15, kViewWidth / 2, top, kCentreOnTop));
    for (int i = 0; i < count; ++i) {
        const int a = top + 30 + 15 * i;
        DrawTypedMarker(Type(i), 330, a, 10, SampleDirection(i, true), DrawColor(i));
        mImage->Append(Text(LegendName(i), QStringLiteral("Arial"), 12, 370, a + 6, kBeginOnBaseline));
    }
    const int frameHeight = 30 + 15 * count;
    mImage->Append(FrameRect(kViewWidth / 2 - 100, top, 200, frameHeight));
    mImage->SetHeight(-1, frameHeight);
    y = top + 45 + 15 * count;
}

void CLinearViewConfig::DrawTypedMarker(int type, int left, int top, int width, int direction, RgbColor color)
{
    switch (type) {
    case kRectangle: DrawRectMarker(left, top, width, direction, color); break;
    case kOval: DrawEllipseMarker(left, top, width, direction, color); break;
    case kArrow: DrawArrowMarker(left, top, width, direction, color); break;
    default: break;
    }
}

void CLinearViewConfig::DrawMarker()
{
    const double start = StartLocate();
    const double end = EndLocate();
    const double scale = mScale;
    const int firstRowStripe = mImage->Count();
    const int rankCount = std::max(mMaximumRankCount, 1);
    const int initialRanks = mDrawBottom ? mMinimumRankCount : 0;
    // x (row coordinates) up to which each rank of each row is taken, kept
    // for the rows from firstLiveRow on: markers come sorted by their lower
    // end, so no marker after one that starts in a row reaches a row above
    // it. The table thus spans the longest marker, not the whole map.
    std::deque<int> rankEnd;
    int firstLiveRow = 0;
    const auto ranksOfRow = [&](int row) {
        Q_ASSERT(row >= firstLiveRow);
        const size_t at = size_t(row - firstLiveRow) * size_t(rankCount);
        if (rankEnd.size() < at + size_t(rankCount))
            rankEnd.resize(at + size_t(rankCount), 0);
        return rankEnd.begin() + qsizetype(at);
    };

    const auto ensureRowStripes = [&](int row) {
        while (mImage->Count() <= firstRowStripe + row)
            mImage->NewImage(0, initialRanks);
    };

    // Without rows (or a usable scale) no marker has a place.
    const std::vector<CMarkerData> noMarkers;
    for (const CMarkerData& marker : mMapCount > 0 && scale > 0 ? mMarker : noMarkers) {
        const double low = marker.LowLocation();
        const double high = marker.HighLocation();
        if (low > end || high < start)
            continue;
        double pieceStart = std::max(low - start, 0.0);
        const double clippedEnd = std::min(high, end);
        const int side = marker.Placement & 3;
        const int type = marker.Placement >> 2;
        int row = int(std::floor(pieceStart / scale));
        pieceStart -= row * scale;
        double pieceEnd = (clippedEnd - start) - row * scale;
        int rank = -1;
        if (row > firstLiveRow) {
            const size_t dropped = std::min(rankEnd.size(), size_t(row - firstLiveRow) * size_t(rankCount));
            rankEnd.erase(rankEnd.begin(), rankEnd.begin() + qsizetype(dropped));
            firstLiveRow = row;
        }

        while (row < mMapCount) {
            ensureRowStripes(row);
            mImage->SetCurrent(firstRowStripe + row);
            if (pieceStart < scale) {
                const int x = RoundToInt(pieceStart * kAxisLength / scale);
                const bool lastPiece = pieceEnd <= scale;
                const int width = lastPiece ? RoundToInt((pieceEnd - pieceStart) * kAxisLength / scale) : kAxisLength - x;
                if (side == kUpper) {
                    DrawUpper(x, kAxisY, width, marker.DrawColor);
                } else if (side == kBottom) {
                    const auto ranks = ranksOfRow(row);
                    if (rank < 0) {
                        rank = 0;
                        for (int k = 0; k < rankCount; ++k) {
                            if (ranks[k] <= x) {
                                rank = k;
                                break;
                            }
                        }
                    }
                    const int extent = DrawBottom(x, kAxisY, width, rank, type, marker.Direction, marker.Name,
                                                  marker.DrawColor);
                    // A rank taken from a wider table (rank counts changed in a file) stays unrecorded.
                    if (rank < rankCount)
                        ranks[rank] = lastPiece ? std::max(ranks[rank], x + extent) : kAxisLength;
                    if (mImage->Height(-1) < rank + 1)
                        mImage->SetHeight(-1, rank + 1);
                }
                if (lastPiece)
                    break;
                pieceStart = 0;
            } else {
                pieceStart -= scale;
            }
            pieceEnd -= scale;
            ++row;
        }
    }
    if (mMapCount > 0)
        ensureRowStripes(mMapCount - 1);

    for (int row = 0; row < mMapCount; ++row) {
        const int stripe = firstRowStripe + row;
        const int ranks = mImage->Height(stripe);
        int height = 20;
        if (ranks >= 1) {
            if (SummaryView())
                height = 3 * ranks + 21;
            else if (mDrawMarkerNames)
                height = 20 * ranks + 23;
            else
                height = 10 * ranks + 23;
        }
        mImage->SetHeight(stripe, height);
    }
}

void CLinearViewConfig::DrawUpper(int x, int y, int width, RgbColor color)
{
    if (width >= 1) {
        auto bar = std::make_shared<RectShape>();
        MShape::SetRect(*bar, x + kLeftMargin, y - 7, width, kMarkerHeight);
        bar->SetFillColor(color);
        mImage->Append(bar);
    } else {
        auto tick = Line(x + kLeftMargin, y - 7, x + kLeftMargin, y - 2);
        tick->SetBorderColor(color);
        mImage->Append(tick);
    }
}

int CLinearViewConfig::DrawBottom(int x, int y, int width, int rank, int type, int direction, const QString& name,
                                  RgbColor color)
{
    int extent = std::max(width, 1);
    if (SummaryView()) {
        const double lineY = y + 3 * rank + 2;
        auto line = Line(x + kLeftMargin, lineY, x + kLeftMargin + extent, lineY);
        line->SetBorderColor(color);
        mImage->Append(line);
        return extent + 1;
    }
    int rowTop = 0;
    if (mDrawMarkerNames) {
        rowTop = y + 20 * rank;
        // An empty name shows nothing and takes no room.
        if (!name.isEmpty()) {
            // Measured once, here, for both its place and the rank's extent:
            // text measuring is most of the cost of a map with names.
            const QString font = QStringLiteral("Arial");
            CTextMeasure& measure = CTextMeasure::Shared();
            measure.SetFont(font, kNameSize, false, false, false);
            const double textWidth = measure.Width(name);
            auto text = std::make_shared<StringShape>();
            text->SetTextFont(font);
            text->SetTextSize(kNameSize);
            text->SetText(name);
            // Anchored by its centre and baseline: begins at x, top of the text 10 below the rank's top.
            text->SetX(x + kLeftMargin + textWidth / 2);
            text->SetY(rowTop + 10 + measure.Ascent());
            mImage->Append(text);
            extent = int(std::max(double(extent), textWidth + 1));
        }
    } else {
        rowTop = y + 10 * rank;
    }
    DrawTypedMarker(type, x + kLeftMargin, rowTop + 3, width, direction, color);
    return extent;
}

namespace {

// The box every kind of marker is made in.
CLinearShape MarkerShape(int left, int top, int width)
{
    CLinearShape shape;
    shape.SetLeft(left);
    shape.SetTop(top);
    shape.SetWidth(width);
    shape.SetHeight(CLinearViewConfig::kMarkerHeight);
    return shape;
}

}  // namespace

void CLinearViewConfig::DrawRectMarker(int left, int top, int width, int direction, RgbColor color)
{
    CLinearShape shape = MarkerShape(left, top, width);
    shape.SetFillColor(color);
    mImage->Append(shape.MakeRect(direction));
}

void CLinearViewConfig::DrawEllipseMarker(int left, int top, int width, int direction, RgbColor color)
{
    CLinearShape shape = MarkerShape(left, top, width);
    shape.SetFillColor(color);
    mImage->Append(shape.MakeOval(direction));
}

void CLinearViewConfig::DrawArrowMarker(int left, int top, int width, int direction, RgbColor color)
{
    CLinearShape shape = MarkerShape(left, top, width);
    shape.SetLineColor(color);
    mImage->Append(shape.MakeArrow(direction));
}

void CLinearViewConfig::DrawBaseFrame(int firstRowStripe)
{
    const double start = StartLocate();
    const double end = EndLocate();
    const double scale = mScale;
    const QString font = QStringLiteral("Arial");
    double axisEnd = kAxisLength;

    // A row that the range does not end in has the same eleven grid lines
    // and axis as every other row of its height: they are made once per
    // height and shared (nothing moves a shape inside a row), which keeps a
    // map of many short rows small. Only its three labels are its own.
    struct FullRowLines
    {
        int mHeight;
        std::array<Object2DRef, 11> mGrid;
        Object2DRef mAxis;
    };
    std::vector<FullRowLines> fullRowLines;
    const auto linesForHeight = [&fullRowLines](int height) -> const FullRowLines& {
        for (const FullRowLines& lines : fullRowLines) {
            if (lines.mHeight == height)
                return lines;
        }
        FullRowLines& lines = fullRowLines.emplace_back();
        lines.mHeight = height;
        for (int j = 0; j <= 10; ++j)
            lines.mGrid[size_t(j)] = GridLine(80 * j, j % 5 == 0 ? 6 : 10, height);
        auto axis = Line(0, kAxisY, kAxisLength, kAxisY);
        axis->SetBorderWidth(kGridWidth);
        lines.mAxis = axis;
        return lines;
    };

    // A row's end label reads as the next row's start label: they share the text.
    qint64 lastLabelled = -1;
    QString lastLabel;
    const auto label = [&](qint64 location) {
        if (location != lastLabelled) {
            lastLabelled = location;
            lastLabel = LocationLabel(location);
        }
        return lastLabel;
    };

    for (int row = 0; row < mMapCount; ++row) {
        const int stripe = firstRowStripe + row;
        mImage->SetCurrent(stripe);
        const double rowStart = start + row * scale;
        const int rowHeight = mImage->Height(stripe);
        auto frame = std::make_shared<Group2D>();
        frame->Reserve(15);

        const bool fullRow = std::trunc(rowStart + 10 * scale / 10) < end;
        if (fullRow) {
            const FullRowLines& lines = linesForHeight(rowHeight);
            for (int j = 0; j <= 10; ++j) {
                frame->Append(lines.mGrid[size_t(j)]);
                if (j % 5 == 0) {
                    const int code = j == 0 ? kBeginOnBaseline : j == 5 ? kCentreOnBaseline : kEndOnBaseline;
                    const double p = std::trunc(rowStart + j * scale / 10);
                    frame->Append(Text(label(qint64(p)), font, 10, 80 * j, 6, code));
                }
            }
            frame->Append(lines.mAxis);
            frame->SetX(kLeftMargin);
            mImage->NthImage(stripe)->Insert(0, frame);
            continue;
        }

        for (int j = 0; j <= 10; ++j) {
            const double p = std::trunc(rowStart + j * scale / 10);
            if (p < end) {
                const bool labelled = j == 0 || j == 5 || j == 10;
                frame->Append(GridLine(80 * j, labelled ? 6 : 10, rowHeight));
                if (labelled) {
                    const int code = j == 0 ? kBeginOnBaseline : j == 5 ? kCentreOnBaseline : kEndOnBaseline;
                    frame->Append(Text(label(qint64(p)), font, 10, 80 * j, 6, code));
                }
                continue;
            }
            // The range ends in this row: one end tick, then no more ticks.
            axisEnd = (end - rowStart) / scale * kAxisLength;
            const QString endLabel = label(qint64(end));
            if (axisEnd + TextWidth(endLabel, font, 10) < kAxisLength)
                frame->Append(Text(endLabel, font, 10, axisEnd, 6, kBeginOnBaseline));
            else
                frame->Append(Text(endLabel, font, 10, kAxisLength, 6, kEndOnBaseline));
            frame->Append(GridLine(axisEnd, 6, rowHeight));
            break;
        }

        auto axis = Line(0, kAxisY, axisEnd, kAxisY);
        axis->SetBorderWidth(kGridWidth);
        frame->Append(axis);
        frame->SetX(kLeftMargin);
        mImage->NthImage(stripe)->Insert(0, frame);
    }
}

void CLinearViewConfig::DrawImage(QPainter& g, int x, int y)
{
    if (!mImage || g.device() == nullptr)
        return;
    mImage->Draw(g, -x, -y, g.device()->height());
}

void CLinearViewConfig::CalcPage()
{
    mPageTop.clear();
    if (!mImage || mImage->Count() == 0)
        return;
    mPageTop.push_back(0);
    // A page without size would divide by zero, and one of no real shape
    // would overflow the conversion: the height stays within 1 .. kMostPageHeight.
    const double pageShape = double(std::max(mPageHeight, 1)) / double(std::max(mPageWidth, 1));
    const int pageHeight = int(std::clamp(pageShape * kViewWidth, 1.0, double(kMostPageHeight)));
    int pageTop = mImage->Top(0) - kPageMargin;
    for (int i = 1; i < mImage->Count(); ++i) {
        if (pageHeight < mImage->Top(i) + mImage->Height(i) + kPageMargin - pageTop) {
            mPageTop.push_back(i);
            pageTop = mImage->Top(i) - kPageMargin;
        }
    }
    mPageTop.push_back(mImage->Count());
    mImagePageHeight = pageHeight;
}

int CLinearViewConfig::PageCount() const
{
    return int(mPageTop.size()) - 1;
}

void CLinearViewConfig::SetPageWidth(int32_t value)
{
    if (value == mPageWidth)
        return;
    CViewConfig::SetPageWidth(value);
    CalcPage();
}

void CLinearViewConfig::SetPageHeight(int32_t value)
{
    if (value == mPageHeight)
        return;
    CViewConfig::SetPageHeight(value);
    CalcPage();
}

int32_t CLinearViewConfig::PageTop(int page) const
{
    if (page < 0 || page >= PageCount())
        return 0;
    return mImage->Top(mPageTop[size_t(page)]) - kPageMargin;
}

Group2DRef CLinearViewConfig::GetImage(int page) const
{
    auto group = std::make_shared<Group2D>();
    if (page < 0 || page >= PageCount())
        return group;
    for (int i = mPageTop[size_t(page)]; i < mPageTop[size_t(page) + 1]; ++i)
        group->Append(mImage->NthImage(i));
    return group;
}

void CLinearViewConfig::MakePreviewImage()
{
    CViewConfig::MakePreviewImage();
    const QString font = QStringLiteral("Arial");
    const int right = kPreviewLeft + kPreviewRowWidth;
    const int middle = kPreviewLeft + kPreviewRowWidth / 2;

    mPreview->Append(FrameRect(kPreviewLeft, 150, kPreviewRowWidth, 65));
    for (const int x : {kPreviewLeft, middle, right})
        mPreview->Append(Line(x, 135, x, 214));
    mPreview->Append(Text(LocationLabel(0), font, 10, kPreviewLeft, 135, kBeginOnBaseline));
    mPreview->Append(Text(LocationLabel(qint64(double(mScale) / 2)), font, 10, middle, 135, kCentreOnBaseline));
    mPreview->Append(Text(LocationLabel(mScale), font, 10, right, 135, kEndOnBaseline));

    int upperCount = 0;
    int bottomCount = 0;
    for (int i = 0; i < Count(); ++i) {
        if (Placement(i) == kUpper)
            ++upperCount;
        else if (Placement(i) == kBottom)
            ++bottomCount;
    }
    const double upperWidth = upperCount > 0 ? kPreviewSampleSpan / upperCount : 0;
    const int columns = (bottomCount + 2) / 3;
    const double bottomWidth = bottomCount > 0 ? kPreviewSampleSpan / columns : 0;

    // The marker operations draw into mImage: lend them a scratch picture.
    const std::shared_ptr<CStripedVectorImage> picture = mImage;
    mImage = std::make_shared<CStripedVectorImage>();
    mImage->NewImage(0, 0);
    int upperIndex = 0;
    int bottomIndex = 0;
    for (int i = 0; i < Count(); ++i) {
        const RgbColor color = DrawColor(i);
        if (Placement(i) == kUpper) {
            auto bar = std::make_shared<RectShape>();
            MShape::SetRect(*bar, std::trunc(kPreviewLeft + upperWidth * upperIndex + 1), 143, upperWidth,
                            kMarkerHeight);
            bar->SetFillColor(color);
            mImage->Append(bar);
            ++upperIndex;
        } else if (Placement(i) == kBottom) {
            const int column = bottomIndex % columns;
            const int row = bottomIndex / columns;
            const int x = int(kPreviewLeft + bottomWidth * column + 1);
            const int y = 150 + 20 * row;
            const int direction = SampleDirection(i, false);
            int width = int(bottomWidth);
            if (Type(i) == kOval && direction != -1)
                width = int(bottomWidth - MShape::OvalArrowWidth(kMarkerHeight));
            DrawTypedMarker(Type(i), x, y + 3, width, direction, color);
            if (mDrawMarkerNames)
                mImage->Append(Text(LegendName(i), font, 10, x, y + 10, kBeginOnTop));
            ++bottomIndex;
        }
    }
    mPreview->Append(mImage->NthImage(0));
    mImage = picture;

    if (DrawTitle())
        mPreview->Append(Text(Name(), font, 20, middle, 20, kCentreOnBaseline));

    if (DrawLegendTitle()) {
        mPreview->Append(FrameRect(kPreviewLeft, 30, kPreviewRowWidth, 60));
        mPreview->Append(Text(LegendTitle(), font, 12, middle, 45, kCentreOnBaseline));
        mImage = std::make_shared<CStripedVectorImage>();
        mImage->NewImage(0, 0);
        for (int i = 0; i < std::min(Count(), 3); ++i) {
            const int q = 45 + 12 * i;
            DrawTypedMarker(Type(i), 75, q + 6, 10, SampleDirection(i, true), DrawColor(i));
            mImage->Append(Text(LegendName(i), font, 10, 95, q + 12, kBeginOnBaseline));
        }
        mPreview->Append(mImage->NthImage(0));
        mImage = picture;
    }
}

namespace {

const QString kLinearViewTag = QStringLiteral("vlin");

QString LinearWriteError(const char* step)
{
    return CBinaryFileTool::WriteErrorMessage(QStringLiteral("LinearViewConfig.") + QLatin1String(step));
}

QString LinearReadError(const char* step)
{
    return CBinaryFileTool::ReadErrorMessage(QStringLiteral("LinearViewConfig.") + QLatin1String(step));
}

}  // namespace

QString CLinearViewConfig::Save(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kLinearViewTag))
        return LinearWriteError("0");
    io.WriteInt32(0);  // reserved
    const QString message = CViewConfig::Save(io);
    if (!message.isEmpty())
        return message;
    io.WriteBoolean(mDrawBottom);
    if (io.Error())
        return LinearWriteError("1");
    io.WriteBoolean(mDrawMarkerNames);
    if (io.Error())
        return LinearWriteError("2");
    io.WriteInt32(mEnd);
    if (io.Error())
        return LinearWriteError("3");
    io.WriteInt32(mScale);
    if (io.Error())
        return LinearWriteError("4");
    io.WriteInt32(mStart);
    if (io.Error())
        return LinearWriteError("5");
    io.WriteInt32(mMinimumRankCount);
    if (io.Error())
        return LinearWriteError("6");
    io.WriteInt32(mMaximumRankCount);
    if (io.Error())
        return LinearWriteError("7");
    if (tool.EndBlock() < 0)
        return LinearWriteError("9");
    return QString();
}

QString CLinearViewConfig::Restore(CBinaryStream& io, const IProjectFiles& project)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kLinearViewTag))
        return LinearReadError("0");
    io.ReadInt32();  // reserved
    const QString message = CViewConfig::Restore(io, project);
    if (!message.isEmpty())
        return message;
    mDrawBottom = io.ReadBoolean();
    if (io.Error())
        return LinearReadError("1");
    mDrawMarkerNames = io.ReadBoolean();
    if (io.Error())
        return LinearReadError("2");
    mEnd = io.ReadInt32();
    if (io.Error())
        return LinearReadError("3");
    mScale = io.ReadInt32();
    if (io.Error())
        return LinearReadError("4");
    mStart = io.ReadInt32();
    if (io.Error())
        return LinearReadError("5");
    mMinimumRankCount = io.ReadInt32();
    if (io.Error())
        return LinearReadError("6");
    mMaximumRankCount = io.ReadInt32();
    if (io.Error())
        return LinearReadError("7");
    if (tool.EndBlock() != 0)
        return LinearReadError("9");
    MLinearViewRules::KeepRestoredSettings(*this);
    return QString();
}

QString CLinearViewConfig::SettingsProblem() const
{
    const QString problem = CViewConfig::SettingsProblem();
    if (!problem.isEmpty())
        return problem;
    return MLinearViewRules::RangeProblem(*this);
}
