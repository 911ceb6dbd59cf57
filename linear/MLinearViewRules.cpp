#include "linear/MLinearViewRules.h"

#include "linear/CLinearViewConfig.h"
#include "views/MViewRules.h"

#include <algorithm>

namespace MLinearViewRules {

const char* const kTooManyRows = "The map would need more than 500000 rows. Choose a larger scale or a shorter range.";

QStringList ScaleLabels()
{
    return QStringLiteral("10,20,50,100,200,500,1K,2K,5K,10K,20K,50K,100K,200K,500K,1M,2M,5M,10M")
        .split(QLatin1Char(','));
}

QList<int32_t> ScaleValues()
{
    return {10,    20,    50,     100,    200,    500,     1000,    2000,    5000,    10000,
            20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000, 10000000};
}

int ScaleIndex(int32_t scale)
{
    const QList<int32_t> values = ScaleValues();
    for (int i = 0; i < values.size() - 1; ++i) {
        if (scale <= values[i])
            return i;
    }
    return int(values.size()) - 1;
}

bool TypeSelectable(int side)
{
    return side != CLinearViewConfig::kUpper;
}

int TypeForSide(int side, int chosenType)
{
    return TypeSelectable(side) ? chosenType : int(CLinearViewConfig::kRectangle);
}

OptionsInput InputFromView(const CLinearViewConfig& view)
{
    OptionsInput input;
    input.mTitle = view.Name();
    input.mDrawTitle = view.DrawTitle();
    input.mDrawMarkerNames = view.DrawMarkerNames();
    input.mDrawLegendTitle = view.DrawLegendTitle();
    input.mLegendTitle = view.LegendTitle();
    input.mGenomeLength = QString::number(MViewRules::GenomeLengthField(view));
    input.mStart = QString::number(view.StartLocate());
    input.mEnd = QString::number(view.EndLocate());
    input.mScaleIndex = ScaleIndex(view.Scale());
    return input;
}

CViewInputCheck StoreOptions(CLinearViewConfig& view, const OptionsInput& input)
{
    if (MViewRules::IsBlank(input.mTitle))
        return CViewInputCheck::Failed(MViewRules::kTitleEmpty, CViewInputCheck::kTitleField);
    view.SetDrawMarkerNames(input.mDrawMarkerNames);
    CViewInputCheck check = MViewRules::StoreTitles(view, input.mTitle, input.mDrawTitle, input.mDrawLegendTitle,
                                                    input.mLegendTitle);
    if (!check.Passed())
        return check;
    check = MViewRules::StoreGenomeLength(view, input.mGenomeLength);
    if (!check.Passed())
        return check;
    const int32_t start = MViewRules::FieldInteger(input.mStart);
    const int32_t end = MViewRules::FieldInteger(input.mEnd);
    if (end < start)
        return CViewInputCheck::Failed(MViewRules::kLocateRangeInvalid, CViewInputCheck::kStartField);
    if (view.GenomeLength() < end)
        return CViewInputCheck::Failed(MViewRules::kLocateRangeInvalid, CViewInputCheck::kEndField);
    if (end == start)
        return CViewInputCheck::Failed(MViewRules::kLocateRangeInvalid, CViewInputCheck::kStartField);
    view.SetStartLocate(start);
    view.SetEndLocate(end);
    const QList<int32_t> scales = ScaleValues();
    view.SetScale(scales.at(qBound(0, input.mScaleIndex, int(scales.size()) - 1)));
    return CViewInputCheck::Valid();
}

void KeepRestoredSettings(CLinearViewConfig& view)
{
    // Only values the program itself never stores are changed: every listed
    // scale is at least 10, and the rank counts (3 and 10 unless a file says
    // otherwise) only cost memory far beyond those.
    const int32_t smallestScale = ScaleValues().front();
    if (view.Scale() < smallestScale)
        view.SetScale(smallestScale);
    view.SetMaximumRankCount(std::clamp(view.MaximumRankCount(), 1, kMaximumRankLimit));
    view.SetMinimumRankCount(std::clamp(view.MinimumRankCount(), 0, kMaximumRankLimit));
    for (int i = 0; i < view.Count(); ++i) {
        const int word = view.CViewConfig::Placement(i);
        const int side = word & 3;
        const int type = word >> 2;
        const bool knownType = type >= CLinearViewConfig::kRectangle && type <= CLinearViewConfig::kArrow;
        // An Upper word with a known type draws a plain bar; views made in
        // code save such words, so they stay as they are.
        if (side <= CLinearViewConfig::kBottom && knownType)
            continue;
        const int knownSide = std::min(side, int(CLinearViewConfig::kBottom));
        const int nearestType = TypeForSide(knownSide, std::clamp(type, int(CLinearViewConfig::kRectangle),
                                                                  int(CLinearViewConfig::kArrow)));
        view.Set(i, view.File(i), view.ClassName(i), view.LegendName(i), knownSide, nearestType, view.DrawColor(i));
    }
}

QString RangeProblem(const CLinearViewConfig& view)
{
    const qint64 start = view.StartLocate();
    const qint64 end = view.EndLocate();
    if (start < 0 || end <= start)
        return QString::fromUtf8(MViewRules::kLocateRangeInvalid);
    const qint64 scale = std::max(view.Scale(), 1);
    if ((end - start + scale - 1) / scale > kMaximumRowCount)
        return QString::fromUtf8(kTooManyRows);
    return QString();
}

}  // namespace MLinearViewRules
