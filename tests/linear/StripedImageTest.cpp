#include "linear/CStripedVectorImage.h"

#include "views/MShape.h"
#include "views/RectShape.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

RectShapeRef Rect(double left, double top, double width, double height, RgbColor color)
{
    auto rect = std::make_shared<RectShape>();
    MShape::SetRect(*rect, left, top, width, height);
    rect->SetFillColor(color);
    return rect;
}

}

TEST(StripedImage, AppendGoesToTheCurrentStripe)
{
    CStripedVectorImage image;
    image.Append(Rect(0, 0, 1, 1, 0));  // no stripe yet: ignored
    EXPECT_EQ(image.Count(), 0);
    Group2DRef first = image.NewImage(0, 30);
    Group2DRef second = image.NewImage(50, 30);
    image.Append(Rect(0, 0, 1, 1, 0));
    EXPECT_EQ(first->Count(), 0);
    EXPECT_EQ(second->Count(), 1);
    image.SetCurrent(0);
    image.Append(Rect(0, 0, 1, 1, 0));
    EXPECT_EQ(first->Count(), 1);
    EXPECT_EQ(image.NthImage(-1), first);
    image.SetCurrent(-1);  // the last stripe, not the current one
    EXPECT_EQ(image.NthImage(-1), second);
}

TEST(StripedImage, NegativeIndicesActOnTheCurrentStripe)
{
    CStripedVectorImage image;
    image.NewImage(0, 10);
    image.NewImage(20, 10);
    image.NewImage(40, 10);
    image.SetCurrent(1);
    EXPECT_EQ(image.Top(-1), 20);
    EXPECT_EQ(image.Height(-1), 10);
    image.SetHeight(-1, 99);
    EXPECT_EQ(image.Height(1), 99);
    EXPECT_EQ(image.NthImage(1)->Count(), 0);  // the recorded height does not touch the group
    image.SetTop(-1, 25);
    EXPECT_EQ(image.Top(1), 25);
    EXPECT_EQ(image.NthImage(1)->Y(), 5);
    EXPECT_EQ(image.Top(2), 40);
    EXPECT_EQ(image.NthImage(2)->Y(), 0);
}

TEST(StripedImage, SetTopMovesTheGroupByTheChange)
{
    CStripedVectorImage image;
    Group2DRef stripe = image.NewImage(5, 10);
    image.SetTop(0, 5);
    EXPECT_EQ(stripe->Y(), 0);
    image.SetTop(0, 125);
    EXPECT_EQ(stripe->Y(), 120);
    image.SetTop(0, 100);
    EXPECT_EQ(stripe->Y(), 95);
    EXPECT_EQ(image.Top(0), 100);
}

TEST(StripedImage, DrawPaintsOnlyStripesMeetingTheWindow)
{
    // Stripes at 0, 50, 100, each 30 high and drawn in its own colour at its
    // recorded top; the window from y = 60 to 90 shows only the stripe at 50.
    CStripedVectorImage picture;
    const RgbColor colors[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
        picture.NewImage(0, 30);
        // Each stripe covers far more than its band, so a wrongly drawn stripe shows.
        picture.Append(Rect(0, -200, 10, 600, colors[i]));
        picture.SetTop(-1, 50 * i);
    }
    // The third stripe ends the loop: its top 100 lies below the window.
    QImage image(10, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.Draw(painter, 0, 60, 30);
    painter.end();
    EXPECT_EQ(image.pixel(5, 15), qRgb(0, 255, 0));

    // Boundaries count: a stripe whose bottom equals the window's top is drawn,
    // and one whose top equals the window's bottom too.
    struct Case
    {
        int y;
        int height;
        QRgb expected;
    };
    for (const Case& c : {Case{80, 10, qRgb(0, 255, 0)}, Case{10, 40, qRgb(0, 255, 0)}, Case{31, 18, qRgb(255, 255, 255)},
                          Case{70, 30, qRgb(0, 0, 255)}}) {
        SCOPED_TRACE(c.y);
        QImage band(10, 10, QImage::Format_ARGB32_Premultiplied);
        band.fill(Qt::white);
        QPainter p(&band);
        picture.Draw(p, 0, c.y, c.height);
        p.end();
        EXPECT_EQ(band.pixel(5, 5), c.expected);
    }

    CStripedVectorImage empty;
    QImage blank(4, 4, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::white);
    QPainter p(&blank);
    empty.Draw(p, 0, 0, 4);
    p.end();
    EXPECT_EQ(blank.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(StripedImage, DrawShiftsByTheWindowOrigin)
{
    CStripedVectorImage picture;
    picture.NewImage(0, 200);
    picture.Append(Rect(100, 100, 10, 10, 0x0000FF));
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.Draw(painter, 90, 95, 40);  // picture point (90, 95) on the origin
    painter.end();
    EXPECT_EQ(image.pixel(15, 10), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(8, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(15, 3), qRgb(255, 255, 255));
}
