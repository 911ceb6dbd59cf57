#include "views/CMarkerData.h"

CMarkerData::CMarkerData() = default;
