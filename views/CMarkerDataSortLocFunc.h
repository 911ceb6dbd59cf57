#pragma once

#include "views/CMarkerData.h"
#include "views/IOtherSortFunc.h"

#include <QtGlobal>

// Orders markers by their lower end; of two with the same lower end the one
// reaching further comes first.
class CMarkerDataSortLocFunc final : public IOtherSortFunc
{
public:
    int32_t Compare(const ISortItem& a, const ISortItem& b) const override;
};

// Inline: the linear map sorts every marker with it.
inline int32_t CMarkerDataSortLocFunc::Compare(const ISortItem& a, const ISortItem& b) const
{
    Q_ASSERT(dynamic_cast<const CMarkerData*>(&a) != nullptr);
    Q_ASSERT(dynamic_cast<const CMarkerData*>(&b) != nullptr);
    const auto& markerA = static_cast<const CMarkerData&>(a);
    const auto& markerB = static_cast<const CMarkerData&>(b);
    const int32_t lowA = markerA.LowLocation();
    const int32_t lowB = markerB.LowLocation();
    if (lowA != lowB)
        return ClampedDifference(lowA, lowB);
    return ClampedDifference(markerB.HighLocation(), markerA.HighLocation());
}
