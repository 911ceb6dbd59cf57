#pragma once

#include "views/StringShape.h"

namespace MStringShapeExt {

// Sets the text and places the shape by the anchor (x, y) and an alignment code.
// Horizontal part (code & 3): 1 the text begins at x, 2 it ends at x, 0 or 3
// centred on x. Vertical part (code & 12): 0 baseline at y, 4 ascent centred
// on y, 8 top of the text at y, 12 bottom of the descent at y.
void SetString(StringShape& shape, const QString& text, double x, double y, int code);

}
