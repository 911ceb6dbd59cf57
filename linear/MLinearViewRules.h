#pragma once

#include "views/CViewInputCheck.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class CLinearViewConfig;

// The linear view wizard's rules without its widgets: the scale list, the
// marker types a placement allows and the check that stores the options
// page into the view. The batch tool runs the same check on its options.
namespace MLinearViewRules {

// The scales offered, smallest first: labels ("10" ... "1K" ... "10M") and
// their values in bp.
QStringList ScaleLabels();
QList<int32_t> ScaleValues();
// The position the scale list shows for a scale: the smallest listed scale
// not below it, the last one for anything larger.
int ScaleIndex(int32_t scale);

// Upper markers are thin bars without a type: the type choice is open only
// for Bottom. The type an entry gets for a side and a chosen type.
bool TypeSelectable(int side);
int TypeForSide(int side, int chosenType);

// The options page as the user left it. Text fields hold what was typed.
struct OptionsInput
{
    QString mTitle;
    bool mDrawTitle = true;
    bool mDrawMarkerNames = true;
    bool mDrawLegendTitle = true;
    QString mLegendTitle;
    QString mGenomeLength;
    QString mStart;
    QString mEnd;
    // Position in the scale list.
    int mScaleIndex = 0;
};

// The page as it shows a view: every field filled from the view.
OptionsInput InputFromView(const CLinearViewConfig& view);

// Stores the page into the view in the wizard's order and returns the first
// failure: blank title; blank legend heading while the legend is drawn;
// genome length 0 or less; end before start (start field); end beyond the
// genome length (end field); and a range of no length (start field), which
// would give a map without rows. Title, flags and genome length stay stored
// when a later check fails; the range and the scale are stored only when
// everything passed. An end equal to the data's largest location is kept as
// an open end, so the range follows the data.
CViewInputCheck StoreOptions(CLinearViewConfig& view, const OptionsInput& input);

// The most rows a map is built with: each row holds a frame of about 1.3 KB
// (groups, lines, three labels), so 500,000 rows of 10 bp build in a few
// seconds and well under 1 GB, while a file may ask for hundreds of millions.
constexpr qint64 kMaximumRowCount = 500000;
// Ranks below the axis a file may ask for; the rows markers are still being
// placed in keep a table of them, and every rank makes a row taller.
constexpr int kMaximumRankLimit = 100;

// "The map would need more than 500000 rows. Choose a larger scale or a shorter range."
extern const char* const kTooManyRows;

// Takes settings read from a project file that no save holds to the nearest
// values the wizard accepts: a scale below the smallest listed one becomes
// 10; both rank counts are kept within 0..kMaximumRankLimit (the maximum at
// least 1); a placement word with an unknown side (2, 3) becomes Bottom and
// one with an unknown marker type the nearest known type (Upper: none).
// Every value a save can hold, such as an Upper word carrying a type, stays.
void KeepRestoredSettings(CLinearViewConfig& view);

// Why no map can be built from the view's range and scale, or empty: a start
// below 0 or not before the end is an invalid range (kLocateRangeInvalid);
// a range of more than kMaximumRowCount rows is kTooManyRows.
QString RangeProblem(const CLinearViewConfig& view);

}  // namespace MLinearViewRules
