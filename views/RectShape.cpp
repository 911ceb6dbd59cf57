#include "views/RectShape.h"

RectShape::RectShape() : Object2D(Kind::Rect) {}
