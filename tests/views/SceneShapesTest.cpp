#include "views/ArcShape.h"
#include "views/CGenomeArcShape.h"
#include "views/CTextMeasure.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/PixmapShape.h"
#include "views/RoundRectShape.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPainter>

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

CGenomeArcShape Arcs(int genome, int radius, int cx = 0, int cy = 0)
{
    CGenomeArcShape arcs;
    arcs.SetGenomeLength(genome);
    arcs.SetArcR(radius);
    arcs.SetCenterX(cx);
    arcs.SetCenterY(cy);
    return arcs;
}

}

TEST(SceneGroup, InsertRemoveAndOrder)
{
    Group2D group;
    auto a = std::make_shared<RectShape>();
    auto b = std::make_shared<OvalShape>();
    auto c = std::make_shared<CurveShape>();
    group.Append(a);
    group.Append(b);
    group.Insert(0, c);
    ASSERT_EQ(group.Count(), 3);
    EXPECT_EQ(group.Item(0), c);
    EXPECT_EQ(group.Item(2), b);
    group.RemoveByIndex(1);
    EXPECT_EQ(group.Item(1), b);
    // Defaults the maps rely on: filled without outline, black; lines are drawn.
    EXPECT_EQ(a->Fill(), 100);
    EXPECT_EQ(a->Border(), 0);
    EXPECT_EQ(a->BorderColor(), 0u);
    EXPECT_EQ(c->Border(), 100);
    EXPECT_EQ(group.Scale(), 1);
}

TEST(SceneGenomeArc, WedgeGeometry)
{
    CGenomeArcShape arcs = Arcs(360, 100, 350, 330);
    auto arc = std::dynamic_pointer_cast<ArcShape>(arcs.MakeShape(0, 89, 0x123456));
    ASSERT_TRUE(arc);
    EXPECT_DOUBLE_EQ(arc->StartAngle(), -kPi / 2);
    EXPECT_DOUBLE_EQ(arc->ArcAngle(), kPi / 2);
    EXPECT_EQ(arc->Width(), 199);
    EXPECT_EQ(arc->Height(), 199);
    EXPECT_EQ(arc->X(), 350);
    EXPECT_EQ(arc->Y(), 330);
    EXPECT_EQ(arc->FillColor(), 0x123456u);
    EXPECT_EQ(arc->Segments(), int(std::trunc(199 * 31.4 * 10)));

    // Ends given in reverse: the same bases, the same arc.
    auto reversed = std::dynamic_pointer_cast<ArcShape>(arcs.MakeShape(89, 0, 0x123456));
    ASSERT_TRUE(reversed);
    EXPECT_DOUBLE_EQ(reversed->StartAngle(), -kPi / 2);
    EXPECT_DOUBLE_EQ(reversed->ArcAngle(), kPi / 2);
    auto frame = arcs.MakeFrame(89, 0, 0x000000);
    EXPECT_DOUBLE_EQ(frame->ArcAngle(), kPi / 2);
    EXPECT_EQ(frame->Width(), 200);
    EXPECT_EQ(frame->X(), 351);
    EXPECT_EQ(frame->BorderWidth(), 2);
    EXPECT_EQ(frame->Fill(), 0);
}

TEST(SceneGenomeArc, HairlinesBelowOnePixelOfArc)
{
    const int genome = 5000000;
    CGenomeArcShape arcs = Arcs(genome, 230, 350, 330);
    const double k = 2 * kPi / genome;
    const double minimum = 1.0 / 230;
    const int onePixel = int(std::floor(minimum / k));  // bases in one pixel of arc, minus the end base

    struct Case
    {
        const char* name;
        int start;
        int end;
        double width;  // < 0: an arc is expected
    };
    const Case cases[] = {
        {"single base", 1000, 1000, 0.5 - 0.5 * k / minimum},
        {"at most one pixel", 1000, 1000 + onePixel - 1, 0.5 + 0.5 * onePixel * k / minimum},
        {"a little longer", 1000, 1000 + onePixel + 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Object2DRef shape = arcs.MakeShape(c.start, c.end, 0xFF0000);
        if (c.width < 0) {
            EXPECT_EQ(shape->ObjectKind(), Object2D::Kind::Arc);
            continue;
        }
        auto line = std::dynamic_pointer_cast<CurveShape>(shape);
        ASSERT_TRUE(line);
        EXPECT_NEAR(line->BorderWidth(), c.width, 1e-12);
        EXPECT_EQ(line->BorderColor(), 0xFF0000u);
        EXPECT_EQ(line->X(), 350);
        EXPECT_EQ(line->Y(), 330);
        const double theta = c.start * k;
        EXPECT_NEAR(line->X2(), 350 + 230 * std::sin(theta), 1e-9);
        EXPECT_NEAR(line->Y2(), 330 - 230 * std::cos(theta), 1e-9);
    }
    EXPECT_LT(std::dynamic_pointer_cast<CurveShape>(arcs.MakeShape(5, 5, 0))->BorderWidth(), 0.5);
    EXPECT_GT(std::dynamic_pointer_cast<CurveShape>(arcs.MakeShape(5, 5 + onePixel - 1, 0))->BorderWidth(), 0.99);

    // On a genome so short that one base spans more than a pixel, a single
    // base is drawn as its arc instead of a line of negative width.
    auto base = std::dynamic_pointer_cast<ArcShape>(Arcs(360, 100).MakeShape(10, 10, 0));
    ASSERT_TRUE(base);
    EXPECT_DOUBLE_EQ(base->ArcAngle(), 2 * kPi / 360);
}

TEST(SceneGenomeArc, GenomeLengthZeroOrNegativeKeepsTheFactor)
{
    CGenomeArcShape arcs;
    EXPECT_EQ(arcs.GenomeLength(), 0);
    arcs.SetGenomeLength(1000);
    const double k = arcs.Rcoefficent();
    EXPECT_DOUBLE_EQ(k, 6.283185307179586 / 1000);
    arcs.SetGenomeLength(0);
    EXPECT_EQ(arcs.Rcoefficent(), k);
    arcs.SetGenomeLength(-5);
    EXPECT_EQ(arcs.Rcoefficent(), k);
    EXPECT_EQ(arcs.GenomeLength(), -5);
    arcs.SetArcR(250);
    EXPECT_DOUBLE_EQ(arcs.MinimumAngle(), 1.0 / 250);
}

TEST(SceneGenomeArc, MaskFrameLineAndPins)
{
    CGenomeArcShape arcs = Arcs(400, 100, 350, 330);
    auto mask = arcs.MakeWhiteMask();
    EXPECT_EQ(mask->FillColor(), 0xFFFFFFu);
    EXPECT_EQ(mask->X(), 351);
    EXPECT_EQ(mask->Y(), 331);
    EXPECT_EQ(mask->Width(), 201);
    auto frame = arcs.MakeFrame(0x0000FF);
    EXPECT_EQ(frame->Border(), 100);
    EXPECT_EQ(frame->Fill(), 0);
    EXPECT_EQ(frame->BorderWidth(), 1.5);
    EXPECT_EQ(frame->BorderColor(), 0x0000FFu);
    EXPECT_EQ(frame->Width(), 201);

    // Location 100 of 400 is three o'clock.
    auto line = arcs.MakeLine(100, 12, 0x00FF00);
    EXPECT_NEAR(line->X(), 450, 1e-9);
    EXPECT_NEAR(line->X2(), 462, 1e-9);
    EXPECT_NEAR(line->Y2(), 330, 1e-9);
    EXPECT_EQ(line->BorderWidth(), 0.5);

    // Inward pin at six o'clock: line from radius 100 to 88, head at the inner end + 0.5.
    Group2DRef pin = arcs.MakePin(200, -12, 8, 0xFF0000, 0x000000);
    ASSERT_EQ(pin->Count(), 2);
    auto stem = std::dynamic_pointer_cast<CurveShape>(pin->Item(0));
    auto head = std::dynamic_pointer_cast<OvalShape>(pin->Item(1));
    ASSERT_TRUE(stem && head);
    EXPECT_NEAR(stem->Y(), 430, 1e-9);
    EXPECT_NEAR(stem->Y2(), 418, 1e-9);
    EXPECT_NEAR(head->X(), 350.5, 1e-9);
    EXPECT_NEAR(head->Y(), 418.5, 1e-9);
    EXPECT_EQ(head->Width(), 8);
    EXPECT_EQ(head->FillColor(), 0xFF0000u);
    EXPECT_EQ(head->Border(), 100);
    EXPECT_EQ(head->BorderWidth(), 0.5);
}

TEST(SceneText, ArialAndHelveticaMeasureAsLiberationSans)
{
    for (const char* name : {"Arial", "Helvetica"}) {
        const QFont font = CTextMeasure::MakeFont(QString::fromLatin1(name), 12, false, false, false);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans")) << name;
    }
    CTextMeasure& measure = CTextMeasure::Shared();
    EXPECT_EQ(&measure, &CTextMeasure::Shared());
    measure.SetFont(QStringLiteral("Arial"), 9.2, false, false, false);  // rounded up to 10
    const double ten = measure.Width(QStringLiteral("Genome"));
    measure.SetFont(QStringLiteral("Arial"), 10, false, false, false);
    EXPECT_DOUBLE_EQ(measure.Width(QStringLiteral("Genome")), ten);
    measure.SetFont(QStringLiteral("Arial"), 10, true, false, false);
    EXPECT_GT(measure.Width(QStringLiteral("Genome")), ten);
}

TEST(SceneText, SetStringAlignmentCodes)
{
    StringShape probe;
    probe.SetTextFont(QStringLiteral("Arial"));
    probe.SetTextSize(15);
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(QStringLiteral("Arial"), 15, false, false, false);
    const QString text = QStringLiteral("Legend");
    const double w = measure.Width(text);
    const double ascent = measure.Ascent();
    const double descent = measure.LineHeight() - ascent;
    ASSERT_GT(w, 20);
    ASSERT_GT(descent, 0);

    struct Case
    {
        int code;
        double dx;
        double dy;
    };
    const Case cases[] = {
        {0, 0, 0}, {3, 0, 0}, {1, w / 2, 0}, {2, -w / 2, 0},
        {9, w / 2, ascent},  // left end at x, top at y
        {4, 0, ascent / 2}, {12, 0, -descent}, {2 + 12, -w / 2, -descent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        StringShape shape;
        shape.SetTextFont(QStringLiteral("Arial"));
        shape.SetTextSize(15);
        MStringShapeExt::SetString(shape, text, 100, 50, c.code);
        EXPECT_EQ(shape.Text(), text);
        EXPECT_NEAR(shape.X(), 100 + c.dx, 1e-9);
        EXPECT_NEAR(shape.Y(), 50 + c.dy, 1e-9);
    }
}

TEST(SceneCopy, CopyFromByKind)
{
    // Group to group: properties only, the contents stay.
    Group2D from;
    from.SetX(7);
    from.SetScale(2);
    from.Append(std::make_shared<RectShape>());
    Group2D to;
    to.Append(std::make_shared<OvalShape>());
    to.Append(std::make_shared<OvalShape>());
    MShape::CopyFrom(to, from);
    EXPECT_EQ(to.Count(), 2);
    EXPECT_EQ(to.X(), 7);
    EXPECT_EQ(to.Scale(), 2);
    EXPECT_EQ(MShape::Clone(from)->Count(), 0);

    // Curve to text: only the common properties.
    CurveShape curve;
    curve.SetX(3);
    curve.SetX2(9);
    curve.SetBorderColor(0xABCDEF);
    curve.SetBorderWidth(0.25);
    StringShape text;
    text.SetText(QStringLiteral("kept"));
    MShape::CopyFrom(text, curve);
    EXPECT_EQ(text.X(), 3);
    EXPECT_EQ(text.BorderColor(), 0xABCDEFu);
    EXPECT_EQ(text.BorderWidth(), 0.25);
    EXPECT_EQ(text.Border(), 100);
    EXPECT_EQ(text.Text(), QStringLiteral("kept"));

    // Curves keep order and control points.
    curve.SetOrder(2);
    curve.SetControlX(1, 4);
    curve.SetControlY(1, 5);
    CurveShapeRef curveCopy = MShape::Clone(curve);
    EXPECT_EQ(curveCopy->Order(), 2);
    EXPECT_EQ(curveCopy->ControlX(1), 4);
    EXPECT_EQ(curveCopy->ControlY(1), 5);
    EXPECT_EQ(curveCopy->X2(), 9);

    // Arc to arc copies the angles; arc to plain rectangle only the box.
    ArcShape arc;
    MShape::SetRect(arc, 0, 0, 10, 20);
    arc.SetStartAngle(1);
    arc.SetArcAngle(2);
    arc.SetSegments(33);
    ArcShape arcCopy;
    MShape::CopyFrom(arcCopy, arc);
    EXPECT_EQ(arcCopy.StartAngle(), 1);
    EXPECT_EQ(arcCopy.ArcAngle(), 2);
    EXPECT_EQ(arcCopy.Segments(), 33);
    EXPECT_EQ(arcCopy.Height(), 20);
    RoundRectShape round;
    round.SetCornerWidth(4);
    MShape::CopyFrom(round, arc);
    EXPECT_EQ(round.Width(), 10);
    EXPECT_EQ(round.CornerWidth(), 4);
    RoundRectShape roundCopy;
    MShape::CopyFrom(roundCopy, round);
    EXPECT_EQ(roundCopy.CornerWidth(), 4);

    // Text copies its font settings.
    StringShape styled;
    styled.SetText(QStringLiteral("abc"));
    styled.SetTextFont(QStringLiteral("Courier"));
    styled.SetTextSize(9);
    styled.SetBold(true);
    styled.SetUnderline(true);
    StringShapeRef styledCopy = MShape::Clone(styled);
    EXPECT_EQ(styledCopy->Text(), QStringLiteral("abc"));
    EXPECT_EQ(styledCopy->TextFont(), QStringLiteral("Courier"));
    EXPECT_EQ(styledCopy->TextSize(), 9);
    EXPECT_TRUE(styledCopy->Bold());
    EXPECT_FALSE(styledCopy->Italic());
    EXPECT_TRUE(styledCopy->Underline());
}

TEST(SceneCopy, FigureAndPixmapCopiesAreIndependent)
{
    FigureShape figure;
    figure.AddLine(0, 0, 10, 0);
    figure.AddLine(10, 0, 0, 10);
    FigureShape copy;
    copy.AddLine(1, 1, 2, 2);
    MShape::CopyFrom(copy, figure);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_NE(copy.Item(0), figure.Item(0));
    EXPECT_EQ(copy.Item(1)->X2(), 0);
    EXPECT_EQ(copy.Item(1)->Y2(), 10);

    auto bitmap = std::make_shared<Picture>(4, 3, 32);
    bitmap->Bitmap().fill(Qt::red);
    PixmapShape pixmap;
    pixmap.SetImage(bitmap);
    pixmap.SetSourceLeft(1);
    PixmapShape pixmapCopy;
    MShape::CopyFrom(pixmapCopy, pixmap);
    ASSERT_TRUE(pixmapCopy.Image());
    EXPECT_NE(pixmapCopy.Image(), bitmap);
    EXPECT_EQ(pixmapCopy.Image()->Width(), 4);
    EXPECT_EQ(pixmapCopy.Image()->Depth(), 32);
    EXPECT_EQ(pixmapCopy.Image()->Bitmap().pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(pixmapCopy.SourceLeft(), 1);
    EXPECT_EQ(pixmapCopy.SourceWidth(), 4);
    bitmap->Bitmap().fill(Qt::blue);
    EXPECT_EQ(pixmapCopy.Image()->Bitmap().pixel(2, 2), qRgb(255, 0, 0));

    // A copied vector picture still shows its scene.
    auto scene = std::make_shared<Group2D>();
    scene->Append(std::make_shared<RectShape>());
    PixmapShape vector;
    vector.SetImage(std::make_shared<Picture>(10, 10, scene));
    PixmapShape vectorCopy;
    MShape::CopyFrom(vectorCopy, vector);
    ASSERT_TRUE(vectorCopy.Image() && vectorCopy.Image()->Objects());
    EXPECT_EQ(vectorCopy.Image()->Depth(), 0);
    EXPECT_NE(vectorCopy.Image()->Objects(), scene);
    EXPECT_EQ(vectorCopy.Image()->Objects()->Count(), 1);
}
