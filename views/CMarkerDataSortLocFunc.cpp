#include "views/CMarkerDataSortLocFunc.h"
