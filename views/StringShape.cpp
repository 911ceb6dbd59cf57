#include "views/StringShape.h"

StringShape::StringShape() : Object2D(Kind::String) {}
