#include "views/MShape.h"

#include "views/ArcShape.h"
#include "views/FigureShape.h"
#include "views/PixmapShape.h"
#include "views/RoundRectShape.h"

#include <QPainter>

namespace MShape {

void SetRect(RectShape& shape, double left, double top, double width, double height)
{
    shape.SetX(left + width / 2);
    shape.SetY(top + height / 2);
    shape.SetWidth(width);
    shape.SetHeight(height);
}

CurveShapeRef Clone(const CurveShape& source)
{
    auto copy = std::make_shared<CurveShape>();
    CopyFrom(*copy, source);
    return copy;
}

Group2DRef Clone(const Group2D& source)
{
    auto copy = std::make_shared<Group2D>();
    CopyFrom(*copy, source);
    return copy;
}

StringShapeRef Clone(const StringShape& source)
{
    auto copy = std::make_shared<StringShape>();
    CopyFrom(*copy, source);
    return copy;
}

namespace {

template <typename T>
bool BothAre(const Object2D& a, const Object2D& b, T*& outA, const T*& outB)
{
    outA = dynamic_cast<T*>(const_cast<Object2D*>(&a));
    outB = dynamic_cast<const T*>(&b);
    return outA && outB;
}

void CopyPicture(PixmapShape& destination, const PixmapShape& source)
{
    const PictureRef& image = source.Image();
    if (image) {
        PictureRef copy;
        if (image->Depth() != 0) {
            copy = std::make_shared<Picture>(image->Width(), image->Height(), image->Depth());
            QPainter painter(&copy->Bitmap());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, image->Bitmap());
        } else {
            copy = std::make_shared<Picture>(image->Width(), image->Height(), Group2DRef());
            if (image->Objects()) {
                // A bare Clone of a group is empty; a copied picture must still
                // show its scene, so the clone shares the source's items.
                Group2DRef group = Clone(*image->Objects());
                for (const Object2DRef& item : image->Objects()->Items())
                    group->Append(item);
                copy->SetObjects(std::move(group));
            }
        }
        destination.SetImage(std::move(copy));
    }
    destination.SetSourceHeight(source.SourceHeight());
    destination.SetSourceLeft(source.SourceLeft());
    destination.SetSourceTop(source.SourceTop());
    destination.SetSourceWidth(source.SourceWidth());
}

}

void CopyFrom(Object2D& destination, const Object2D& source)
{
    if (&destination == &source)
        return;
    destination.SetBorder(source.Border());
    destination.SetBorderColor(source.BorderColor());
    destination.SetBorderWidth(source.BorderWidth());
    destination.SetFill(source.Fill());
    destination.SetFillColor(source.FillColor());
    destination.SetRotation(source.Rotation());
    destination.SetScale(source.Scale());
    destination.SetX(source.X());
    destination.SetY(source.Y());

    {
        CurveShape* to; const CurveShape* from;
        if (BothAre(destination, source, to, from)) {
            to->SetOrder(from->Order());
            for (int i = 0; i < from->Order(); ++i) {
                to->SetControlX(i, from->ControlX(i));
                to->SetControlY(i, from->ControlY(i));
            }
            to->SetSegments(from->Segments());
            to->SetX2(from->X2());
            to->SetY2(from->Y2());
            return;
        }
    }
    {
        RectShape* to; const RectShape* from;
        if (BothAre(destination, source, to, from)) {
            to->SetHeight(from->Height());
            to->SetWidth(from->Width());
            OvalShape* ovalTo; const OvalShape* ovalFrom;
            RoundRectShape* roundTo; const RoundRectShape* roundFrom;
            if (BothAre(destination, source, ovalTo, ovalFrom)) {
                ovalTo->SetSegments(ovalFrom->Segments());
                ArcShape* arcTo; const ArcShape* arcFrom;
                if (BothAre(destination, source, arcTo, arcFrom)) {
                    arcTo->SetArcAngle(arcFrom->ArcAngle());
                    arcTo->SetStartAngle(arcFrom->StartAngle());
                }
            } else if (BothAre(destination, source, roundTo, roundFrom)) {
                roundTo->SetCornerHeight(roundFrom->CornerHeight());
                roundTo->SetCornerWidth(roundFrom->CornerWidth());
                roundTo->SetSegments(roundFrom->Segments());
            }
            return;
        }
    }
    {
        StringShape* to; const StringShape* from;
        if (BothAre(destination, source, to, from)) {
            to->SetBold(from->Bold());
            to->SetItalic(from->Italic());
            to->SetText(from->Text());
            to->SetTextFont(from->TextFont());
            to->SetTextSize(from->TextSize());
            to->SetUnderline(from->Underline());
            return;
        }
    }
    {
        Group2D* to; const Group2D* from;
        if (BothAre(destination, source, to, from))
            return;
    }
    {
        FigureShape* to; const FigureShape* from;
        if (BothAre(destination, source, to, from)) {
            to->RemoveAll();
            for (int i = 0; i < from->Count(); ++i)
                to->Append(Clone(*from->Item(i)));
            return;
        }
    }
    {
        PixmapShape* to; const PixmapShape* from;
        if (BothAre(destination, source, to, from))
            CopyPicture(*to, *from);
    }
}

Group2DRef MakeHorizontalArrow(double x1, double x2, double y, double size, RgbColor color, double width)
{
    const double d = x1 <= x2 ? size / 2 : -size / 2;
    auto group = std::make_shared<Group2D>();
    group->Reserve(3);
    auto addLine = [&](double ax, double ay, double bx, double by) {
        auto line = std::make_shared<CurveShape>();
        line->SetX(ax);
        line->SetY(ay);
        line->SetX2(bx);
        line->SetY2(by);
        line->SetBorderColor(color);
        line->SetBorderWidth(width);
        group->Append(std::move(line));
    };
    addLine(x1, y, x2, y);
    addLine(x2, y, x2 - d, y - size / 2);
    addLine(x2, y, x2 - d, y + size / 2);
    return group;
}

double OvalArrowWidth(double height)
{
    return height * 2 / 3;
}

}
