#include "views/Object2D.h"

// Object2D is header-only apart from this unit, which anchors its vtable here.
