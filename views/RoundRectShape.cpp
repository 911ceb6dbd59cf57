#include "views/RoundRectShape.h"

RoundRectShape::RoundRectShape() : RectShape(Kind::RoundRect) {}
