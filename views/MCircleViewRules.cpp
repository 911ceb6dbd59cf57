#include "views/MCircleViewRules.h"

#include "views/CCircleViewConfig.h"
#include "views/MViewRules.h"

namespace MCircleViewRules {

QList<int32_t> ScaleDividesChoices()
{
    return {5, 10, 20};
}

int ScaleDividesRow(int32_t divides)
{
    const QList<int32_t> choices = ScaleDividesChoices();
    for (int row = 0; row < choices.size(); ++row) {
        if (choices[row] >= divides)
            return row;
    }
    return int(choices.size()) - 1;
}

OptionsInput InputFromView(const CCircleViewConfig& view)
{
    OptionsInput input;
    input.mTitle = view.Name();
    input.mDrawTitle = view.DrawTitle();
    input.mDrawLegendTitle = view.DrawLegendTitle();
    input.mLegendTitle = view.LegendTitle();
    input.mGenomeLength = QString::number(MViewRules::GenomeLengthField(view));
    input.mDrawScale = view.DrawScale();
    input.mScaleByDivides = view.ScaleType() == 0;
    input.mScaleDivides = ScaleDividesChoices().at(ScaleDividesRow(view.ScaleDivides()));
    input.mScaleLength = view.ScaleLength() < 1 ? QString() : QString::number(view.ScaleLength());
    return input;
}

CViewInputCheck StoreOptions(CCircleViewConfig& view, const OptionsInput& input)
{
    CViewInputCheck check = MViewRules::StoreTitles(view, input.mTitle, input.mDrawTitle, input.mDrawLegendTitle,
                                                    input.mLegendTitle);
    if (!check.Passed())
        return check;
    check = MViewRules::StoreGenomeLength(view, input.mGenomeLength);
    if (!check.Passed())
        return check;
    view.SetDrawScale(input.mDrawScale);
    if (input.mScaleDivides > 0)
        view.SetScaleDivides(input.mScaleDivides);
    view.SetScaleLength(MViewRules::FieldInteger(input.mScaleLength));
    if (input.mScaleByDivides) {
        view.SetScaleType(0);
        return CViewInputCheck::Valid();
    }
    view.SetScaleType(1);
    if (view.ScaleLength() <= 0)
        return CViewInputCheck::Failed(MViewRules::kScaleLengthInvalid, CViewInputCheck::kScaleLengthField);
    return CViewInputCheck::Valid();
}

}  // namespace MCircleViewRules
