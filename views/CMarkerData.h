#pragma once

#include "views/ISortItem.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>

// One feature to draw: a data row of a view entry reduced to where it lies,
// where it is drawn, its colour, name and direction.
class CMarkerData final : public ISortItem
{
public:
    CMarkerData() = default;

    // Orders markers by ascending placement. Inline: a map sorts every marker.
    int32_t Compare(const ISortItem& other) const override;

    // The lower and higher of the two ends, whatever their order in the file.
    int32_t LowLocation() const { return StartLocation < EndLocation ? StartLocation : EndLocation; }
    int32_t HighLocation() const { return StartLocation < EndLocation ? EndLocation : StartLocation; }

    int32_t Placement = 0;
    int32_t StartLocation = 0;
    int32_t EndLocation = 0;
    QString Name;
    int32_t Direction = -1;    // 0 forward, 1 reverse, -1 not given
    uint32_t DrawColor = 0;    // 0x00RRGGBB
};

// A difference of two 32-bit values, held to the 32-bit range so that
// far-apart values never wrap into the wrong sign.
inline int32_t ClampedDifference(int64_t a, int64_t b)
{
    const int64_t d = a - b;
    if (d > INT32_MAX)
        return INT32_MAX;
    if (d < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(d);
}

inline int32_t CMarkerData::Compare(const ISortItem& other) const
{
    Q_ASSERT(dynamic_cast<const CMarkerData*>(&other) != nullptr);
    // Only markers are ever sorted together; a checked cast would slow large maps down.
    const auto& marker = static_cast<const CMarkerData&>(other);
    return ClampedDifference(marker.Placement, Placement);
}
