#include "views/ArcShape.h"

ArcShape::ArcShape() : OvalShape(Kind::Arc) {}
