#pragma once

#include "views/CViewInputCheck.h"

#include <QList>
#include <QString>

#include <cstdint>

class CCircleViewConfig;

// The options page of the circular view wizard as rules: the scale choices
// and the check that stores the page into the view. The batch tool runs the
// same check on its options.
namespace MCircleViewRules {

// The numbers of the scale divides popup, top to bottom.
QList<int32_t> ScaleDividesChoices();
// The row the popup selects for a view's divides: the first whose number is
// not less than `divides`, the last when every row is smaller.
int ScaleDividesRow(int32_t divides);

// The options page as the user left it. Text fields hold what was typed.
struct OptionsInput
{
    QString mTitle;
    bool mDrawTitle = true;
    bool mDrawLegendTitle = true;
    QString mLegendTitle;
    QString mGenomeLength;
    bool mDrawScale = true;
    // The divides radio button (scale type 0) rather than the length one (1).
    bool mScaleByDivides = true;
    // The number of the divides popup's selected row; 0 when none is selected.
    int32_t mScaleDivides = 0;
    QString mScaleLength;
};

// The page as it shows a view: every field filled from the view.
OptionsInput InputFromView(const CCircleViewConfig& view);

// Stores the page into the view in the wizard's order and returns the first
// failure: blank title, blank legend heading while the legend is drawn,
// genome length 0 or less, and with the length scale chosen a scale length
// of 0 or less (also when the scale is switched off). What was stored before
// a failure stays stored.
CViewInputCheck StoreOptions(CCircleViewConfig& view, const OptionsInput& input);

}  // namespace MCircleViewRules
