#include "views/CMarkerData.h"

// Everything of a marker is inline: maps create and sort a million of them.

#include <type_traits>

// Sorting a map's markers swaps them a million times: names must move, not copy.
static_assert(std::is_nothrow_move_constructible_v<CMarkerData> && std::is_nothrow_move_assignable_v<CMarkerData>);
