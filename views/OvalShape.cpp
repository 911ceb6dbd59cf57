#include "views/OvalShape.h"

OvalShape::OvalShape() : RectShape(Kind::Oval) {}
