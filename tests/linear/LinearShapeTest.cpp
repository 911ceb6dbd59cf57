#include "linear/CLinearShape.h"

#include "views/CSceneRenderer.h"
#include "views/FigureShape.h"
#include "views/Group2D.h"
#include "views/MShape.h"
#include "views/RoundRectShape.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

using Edge = std::array<double, 4>;

std::vector<Edge> EdgesOf(const Object2DRef& object)
{
    auto figure = std::dynamic_pointer_cast<FigureShape>(object);
    EXPECT_TRUE(figure) << "not a figure";
    std::vector<Edge> edges;
    if (figure)
        for (int i = 0; i < figure->Count(); ++i) {
            const CurveShape& e = *figure->Item(i);
            edges.push_back({e.X(), e.Y(), e.X2(), e.Y2()});
        }
    return edges;
}

std::vector<Edge> LinesOf(const Object2DRef& object)
{
    auto group = std::dynamic_pointer_cast<Group2D>(object);
    EXPECT_TRUE(group) << "not a group";
    std::vector<Edge> lines;
    if (group)
        for (const Object2DRef& item : group->Items()) {
            auto line = std::dynamic_pointer_cast<CurveShape>(item);
            EXPECT_TRUE(line);
            if (line)
                lines.push_back({line->X(), line->Y(), line->X2(), line->Y2()});
        }
    return lines;
}

CLinearShape Box(double left, double top, double width, double height)
{
    CLinearShape shape;
    shape.SetLeft(left);
    shape.SetTop(top);
    shape.SetWidth(width);
    shape.SetHeight(height);
    shape.SetFillColor(0x00FF00);
    shape.SetLineColor(0x0000FF);
    return shape;
}

}

TEST(LinearShape, ConstructorDefaults)
{
    CLinearShape shape;
    EXPECT_EQ(shape.FillColor(), 0xFFFFFFu);
    EXPECT_EQ(shape.LineColor(), 0x000000u);
    EXPECT_EQ(shape.BorderWidth(), 0.5);
    shape.SetHeight(7);
    EXPECT_EQ(shape.HalfHeight(), 3.5);
}

TEST(LinearShape, DirectedRectanglesArePointedFigures)
{
    struct Case
    {
        const char* name;
        double width;
        int direction;
        std::vector<Edge> edges;
    };
    const double L = 100, T = 10;
    const std::vector<Case> cases = {
        {"forward narrow: triangle 3 wide, tip at L+3", 1, 0, {{L, T, L + 3, T + 3}, {L + 3, T + 3, L, T + 6}}},
        {"reverse narrow: tip at L-2, back at L+1", 1, 1, {{L + 1, T, L - 2, T + 3}, {L - 2, T + 3, L + 1, T + 6}}},
        {"forward exactly h wide: triangle", 3, 0, {{L, T, L + 3, T + 3}, {L + 3, T + 3, L, T + 6}}},
        {"forward pentagon", 20, 0,
         {{L, T, L + 17, T}, {L + 17, T, L + 20, T + 3}, {L + 20, T + 3, L + 17, T + 6}, {L + 17, T + 6, L, T + 6}}},
        {"reverse pentagon", 20, 1,
         {{L + 20, T, L + 3, T}, {L + 3, T, L, T + 3}, {L, T + 3, L + 3, T + 6}, {L + 3, T + 6, L + 20, T + 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Object2DRef shape = Box(L, T, c.width, 6).MakeRect(c.direction);
        EXPECT_EQ(EdgesOf(shape), c.edges);
        EXPECT_EQ(shape->FillColor(), 0x00FF00u);
        EXPECT_EQ(shape->BorderColor(), 0x0000FFu);
        EXPECT_EQ(shape->Border(), 100);
        EXPECT_EQ(shape->BorderWidth(), 0.5);
    }
}

TEST(LinearShape, UndirectedRectangleKeepsItsBox)
{
    for (int direction : {-1, 2}) {
        auto rect = std::dynamic_pointer_cast<RectShape>(Box(10, 20, 1, 6).MakeRect(direction));
        ASSERT_TRUE(rect);
        EXPECT_EQ(rect->ObjectKind(), Object2D::Kind::Rect);
        EXPECT_EQ(rect->X(), 10.5);
        EXPECT_EQ(rect->Y(), 23);
        EXPECT_EQ(rect->Width(), 1);  // not widened
        EXPECT_EQ(rect->Height(), 6);
    }
}

TEST(LinearShape, OvalsWidenAndCarryArrows)
{
    // Undirected and narrow: 3 wide, centred on the given box.
    auto plain = std::dynamic_pointer_cast<RoundRectShape>(Box(10, 0, 1, 6).MakeOval(-1));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->Width(), 3);
    EXPECT_EQ(plain->X(), 10.5);
    EXPECT_EQ(plain->CornerWidth(), 4);
    EXPECT_EQ(plain->CornerHeight(), 4);

    // Forward, 20 x 6: arrow from L+18 to L+24 at T+3, barbs end at (L+21, T) and (L+21, T+6).
    const double L = 50, T = 10;
    auto forward = std::dynamic_pointer_cast<Group2D>(Box(L, T, 20, 6).MakeOval(0));
    ASSERT_TRUE(forward);
    ASSERT_EQ(forward->Count(), 2);
    EXPECT_EQ(forward->Item(0)->ObjectKind(), Object2D::Kind::RoundRect);
    EXPECT_EQ(LinesOf(forward->Item(1)), (std::vector<Edge>{
        {L + 18, T + 3, L + 24, T + 3}, {L + 24, T + 3, L + 21, T}, {L + 24, T + 3, L + 21, T + 6}}));

    // Reverse and narrow: widened keeping the right edge, arrow mirrored at the left end.
    auto reverse = std::dynamic_pointer_cast<Group2D>(Box(L, T, 1, 6).MakeOval(1));
    ASSERT_TRUE(reverse);
    auto body = std::dynamic_pointer_cast<RoundRectShape>(reverse->Item(0));
    EXPECT_EQ(body->X() - body->Width() / 2, L - 2);
    EXPECT_EQ(body->X() + body->Width() / 2, L + 1);
    EXPECT_EQ(LinesOf(reverse->Item(1)), (std::vector<Edge>{
        {L, T + 3, L - 6, T + 3}, {L - 6, T + 3, L - 3, T}, {L - 6, T + 3, L - 3, T + 6}}));
}

TEST(LinearShape, ArrowsAndPlainLines)
{
    const double L = 10, T = 0;
    auto forward = Box(L, T, 20, 6).MakeArrow(0);
    EXPECT_EQ(LinesOf(forward), (std::vector<Edge>{{L, 3, L + 20, 3}, {L + 20, 3, L + 17, 0}, {L + 20, 3, L + 17, 6}}));
    EXPECT_EQ(std::dynamic_pointer_cast<Group2D>(forward)->Item(0)->BorderColor(), 0x0000FFu);
    auto reverse = Box(L, T, 1, 6).MakeArrow(1);  // widened to 3, keeping the right edge
    EXPECT_EQ(LinesOf(reverse), (std::vector<Edge>{{L + 1, 3, L - 2, 3}, {L - 2, 3, L + 1, 0}, {L - 2, 3, L + 1, 6}}));

    for (double width : {20.0, 0.0}) {
        auto line = std::dynamic_pointer_cast<CurveShape>(Box(L, T, width, 6).MakeArrow(-1));
        ASSERT_TRUE(line);
        EXPECT_EQ(line->X(), L);
        EXPECT_EQ(line->X2(), L + width);
        EXPECT_EQ(line->Y(), 3);
        EXPECT_EQ(line->Y2(), 3);
    }
    // Equal ends point right: barbs left of the tip.
    EXPECT_EQ(LinesOf(MShape::MakeHorizontalArrow(5, 5, 0, 4, 0, 1)),
              (std::vector<Edge>{{5, 0, 5, 0}, {5, 0, 3, -2}, {5, 0, 3, 2}}));
    EXPECT_DOUBLE_EQ(MShape::OvalArrowWidth(6), 4);
}

TEST(LinearShape, DrawnPentagonStopsAtItsTip)
{
    CLinearShape shape = Box(10, 10, 40, 20);  // tip at (50, 20), point 10 long
    Group2D scene;
    scene.Append(shape.MakeRect(0));
    QImage image(70, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    CSceneRenderer::DrawObject(painter, scene);
    painter.end();
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 255, 0));   // body
    EXPECT_EQ(image.pixel(46, 20), qRgb(0, 255, 0));   // inside the point
    EXPECT_EQ(image.pixel(53, 20), qRgb(255, 255, 255));  // beyond the tip
    EXPECT_EQ(image.pixel(48, 12), qRgb(255, 255, 255));  // cut corner above the point
}
