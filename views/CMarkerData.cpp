#include "views/CMarkerData.h"

// Everything of a marker is inline: maps create and sort a million of them.
