#include "views/MStringShapeExt.h"

#include "views/CTextMeasure.h"

namespace MStringShapeExt {

void SetString(StringShape& shape, const QString& text, double x, double y, int code)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    shape.SetText(text);
    shape.SetX(x);
    shape.SetY(y);
    measure.SetFont(shape.TextFont(), shape.TextSize(), shape.Bold(), shape.Italic(), shape.Underline());

    switch (code & 3) {
    case 1: shape.SetX(x + measure.Width(text) / 2); break;
    case 2: shape.SetX(x - measure.Width(text) / 2); break;
    default: break;
    }
    switch (code & 12) {
    case 4: shape.SetY(y + measure.Ascent() / 2); break;
    case 8: shape.SetY(y + measure.Ascent()); break;
    case 12: shape.SetY(y - (measure.LineHeight() - measure.Ascent())); break;
    default: break;
    }
}

}
