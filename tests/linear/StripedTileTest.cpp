#include "linear/CStripedVectorImage.h"

#include "tests/views/SceneTestSupport.h"
#include "views/CurveShape.h"
#include "views/MShape.h"
#include "views/OvalShape.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPicture>

#include <functional>
#include <vector>

namespace {

// The painter blends an antialiased edge into the device with one rounding,
// but into a tile and the tile into the device with two, and the tile keeps a
// partly covered pixel's colour premultiplied: an edge ends up to 3 levels
// apart (measured on this picture). Only pixels under deep stacks of antialiased
// edges in alternating colours drift further (see CrowdedMapRenderTest).
constexpr int kTileTolerance = 3;

constexpr int kStripeCount = 4;
constexpr int kStripePitch = 70;

// Stripes that all paint outside their recorded band: a name above it, a
// bent line below it, a line reaching left of x = 0, a name reaching right of
// everything else, a scaled group, and arrows stacked many times (left out
// where already painted).
struct StripedPicture
{
    CStripedVectorImage picture;
    std::vector<Group2DRef> groups;  // as NewImage gave them
    std::vector<RectShapeRef> blocks;  // one filled block per stripe
};

RectShapeRef Block(double left, double top, double width, double height, RgbColor color)
{
    auto rect = std::make_shared<RectShape>();
    MShape::SetRect(*rect, left, top, width, height);
    rect->SetFillColor(color);
    return rect;
}

std::shared_ptr<StringShape> Name(const QString& text, double x, double y, double size)
{
    auto name = std::make_shared<StringShape>();
    name->SetText(text);
    name->SetX(x);
    name->SetY(y);
    name->SetTextSize(size);
    return name;
}

StripedPicture MakePicture()
{
    StripedPicture f;
    const RgbColor colors[kStripeCount] = {0xC02020, 0x20A040, 0x8030C0, 0xD08000};
    for (int i = 0; i < kStripeCount; ++i) {
        f.groups.push_back(f.picture.NewImage(0, 40));
        f.blocks.push_back(Block(10.4, 4.6, 60.3, 20.2, colors[i]));
        f.picture.Append(f.blocks.back());

        auto oval = std::make_shared<OvalShape>();
        MShape::SetRect(*oval, 75.5, 8.25, 30.5, 18.5);
        oval->SetFillColor(0xF0F0A0);
        oval->SetBorder(100);
        oval->SetBorderColor(0x202020);
        oval->SetBorderWidth(1.5);
        f.picture.Append(oval);

        auto line = std::make_shared<CurveShape>();
        line->SetX(-12.3);
        line->SetY(2.5);
        line->SetX2(150.6);
        line->SetY2(33.1);
        line->SetBorderWidth(1.3);
        line->SetBorderColor(0x103060);
        f.picture.Append(line);

        // Black too: a transparent tile pixel is black, but holds no colour.
        for (int k = 0; k < 25; ++k) {
            f.picture.Append(MShape::MakeHorizontalArrow(80, 140.5, 30.5, 6, 0x2040E0, 1));
            f.picture.Append(MShape::MakeHorizontalArrow(150, 110.5, 14.5, 6, 0x000000, 1));
        }

        f.picture.Append(Name(QStringLiteral("gene%1").arg(40 + i), 100, -3.5, 11));
        f.picture.Append(Name(QStringLiteral("reaching out of the stripe"), 185, 20, 10));

        auto scaled = std::make_shared<Group2D>();
        scaled->Append(Block(0, 0, 20, 8, 0x006060));
        scaled->Append(Name(QStringLiteral("x1"), 10, 20, 10));
        scaled->SetX(120);
        scaled->SetY(10);
        scaled->SetScale(1.5);
        f.picture.Append(scaled);

        auto bent = std::make_shared<CurveShape>();
        bent->SetY(38);
        bent->SetX2(180);
        bent->SetY2(38);
        bent->SetOrder(1);
        bent->SetControlX(0, 90);
        bent->SetControlY(0, 70);
        bent->SetBorderWidth(2);
        bent->SetBorderColor(0x606000);
        f.picture.Append(bent);
    }
    // Placed after filling, as a map places its rows.
    for (int i = 0; i < kStripeCount; ++i)
        f.picture.SetTop(i, 10 + kStripePitch * i);
    return f;
}

struct Device
{
    QSize size;
    double ratio = 1;
    std::function<void(QPainter&)> setup = {};
    QRect clip = {};  // in device pixels; none when empty
};

// Draws the window whose top left is picture point (x, y) over a background
// that is not plain white, so the tiles' compositing shows.
QImage Window(const CStripedVectorImage& picture, int x, int y, const Device& device = {QSize(200, 300)})
{
    QImage image(device.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(250, 245, 200));
    {
        QPainter band(&image);
        band.fillRect(0, device.size.height() / 3, device.size.width(), device.size.height() / 3, QColor(20, 40, 90));
    }
    image.setDevicePixelRatio(device.ratio);
    QPainter painter(&image);
    if (device.setup)
        device.setup(painter);
    if (!device.clip.isEmpty())
        painter.setClipRect(device.clip);
    picture.Draw(painter, x, y, device.size.height());
    painter.end();
    return image;
}

// The same window drawn shape by shape. Under a clip, the painter rounds the
// edges of shapes differently, so a clipped window is the window drawn
// without the clip, shown only within it.
QImage DirectWindow(const CStripedVectorImage& picture, int x, int y, const Device& device = {QSize(200, 300)})
{
    CStripedVectorImage direct = picture;
    direct.SetTileBudget(0);
    if (device.clip.isEmpty())
        return Window(direct, x, y, device);
    Device open = device;
    open.clip = QRect();
    QImage clipped = Window(CStripedVectorImage(), 0, 0, open);
    QPainter painter(&clipped);
    painter.setClipRect(device.clip);
    painter.drawImage(0, 0, Window(direct, x, y, open));
    painter.end();
    return clipped;
}

}  // namespace

TEST(StripedImageTiles, TilesPaintWhatTheShapesPaint)
{
    struct Case
    {
        const char* what;
        int x;
        int y;
        Device device;
    };
    const Case cases[] = {
        {"the whole picture", 0, 0, {QSize(200, 300)}},
        {"a window cutting through stripes", 0, 95, {QSize(200, 50)}},
        {"the picture shifted right", -15, 30, {QSize(120, 80)}},
        {"a window reaching above the picture", 40, -20, {QSize(100, 90)}},
        {"a painter moved by whole pixels", 5, 60, {QSize(150, 120), 1, [](QPainter& p) { p.translate(7, -3); }}},
        {"a clipped painter", 0, 30, {QSize(200, 150), 1, {}, QRect(10, 35, 150, 60)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StripedPicture f = MakePicture();
        const QImage tiled = Window(f.picture, c.x, c.y, c.device);
        EXPECT_GT(f.picture.TileBytes(), 0);
        const QImage direct = DirectWindow(f.picture, c.x, c.y, c.device);
        EXPECT_LE(LargestDifference(tiled, direct), kTileTolerance);
        // The window shows the stripes, not just the background.
        EXPECT_GT(DifferingFraction(direct, Window(CStripedVectorImage(), 0, 0, c.device), 40), 0.02);
        // Painted again from the tiles it keeps.
        const qint64 held = f.picture.TileBytes();
        EXPECT_EQ(LargestDifference(Window(f.picture, c.x, c.y, c.device), tiled), 0);
        EXPECT_EQ(f.picture.TileBytes(), held);
        // Scrolled: tiles rendered only as far as the window showed are
        // rendered further.
        for (const int scroll : {37, -23, 90}) {
            SCOPED_TRACE(scroll);
            EXPECT_LE(LargestDifference(Window(f.picture, c.x, c.y + scroll, c.device),
                                        DirectWindow(f.picture, c.x, c.y + scroll, c.device)),
                      kTileTolerance);
        }
    }
}

TEST(StripedImageTiles, OtherPaintersDrawTheShapes)
{
    struct Case
    {
        const char* what;
        Device device;
    };
    const QSize size(160, 200);
    const Case cases[] = {
        {"scaled", {size, 1, [](QPainter& p) { p.scale(1.5, 1.5); }}},
        {"moved by part of a pixel", {size, 1, [](QPainter& p) { p.translate(0.5, 0); }}},
        {"rotated", {size, 1, [](QPainter& p) { p.rotate(3); }}},
        {"faded", {size, 1, [](QPainter& p) { p.setOpacity(0.6); }}},
        {"multiplying", {size, 1, [](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Multiply); }}},
        {"two device pixels a pixel", {size, 2, {}}},
        {"clipped through part of a pixel", {size, 1, [](QPainter& p) { p.setClipRect(QRectF(10.5, 20, 100, 50)); }}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StripedPicture f = MakePicture();
        const QImage drawn = Window(f.picture, 0, 20, c.device);
        EXPECT_EQ(f.picture.TileBytes(), 0);
        EXPECT_EQ(LargestDifference(drawn, DirectWindow(f.picture, 0, 20, c.device)), 0);
    }

    // A recording keeps the shapes themselves.
    StripedPicture f = MakePicture();
    QPicture recording;
    QPainter painter(&recording);
    f.picture.Draw(painter, 0, 0, 300);
    painter.end();
    EXPECT_EQ(f.picture.TileBytes(), 0);
}

TEST(StripedImageTiles, ChangedStripesAreDrawnAnew)
{
    struct Case
    {
        const char* what;
        std::function<void(StripedPicture&)> change;
    };
    const Case cases[] = {
        {"appended to the current stripe",
         [](StripedPicture& f) {
             f.picture.SetCurrent(1);
             f.picture.Append(Block(20, 0, 40, 30, 0x00C0C0));
         }},
        {"appended to a group kept from NewImage",
         [](StripedPicture& f) { f.groups[1]->Append(Block(20, 0, 40, 30, 0x00C0C0)); }},
        {"emptied through a kept group", [](StripedPicture& f) { f.groups[1]->RemoveAll(); }},
        {"moved down", [](StripedPicture& f) { f.picture.SetTop(1, f.picture.Top(1) + 9); }},
        {"a group kept from NewImage moved", [](StripedPicture& f) { f.groups[1]->SetX(f.groups[1]->X() + 6); }},
        {"changed through NthImage",
         [](StripedPicture& f) { f.picture.NthImage(1)->Insert(1, Block(20, 0, 40, 30, 0x00C0C0)); }},
        {"a shape recoloured in place, then the tiles dropped",
         [](StripedPicture& f) {
             f.blocks[1]->SetFillColor(0x00C0C0);
             f.picture.DropTiles();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StripedPicture f = MakePicture();
        const QImage before = Window(f.picture, 0, 60);
        ASSERT_GT(f.picture.TileBytes(), 0);
        c.change(f);
        const QImage after = Window(f.picture, 0, 60);
        EXPECT_GT(LargestDifference(before, after), 60);  // the change shows
        EXPECT_LE(LargestDifference(after, DirectWindow(f.picture, 0, 60)), kTileTolerance);
    }
}

TEST(StripedImageTiles, TightBudgetsGiveUpTheLeastRecentlyDrawnTile)
{
    // One stripe per window: windows of 30 rows at a stripe's top meet no other.
    const Device oneStripe{QSize(200, 30)};
    const auto stripeTop = [](int i) { return 10 + kStripePitch * i; };
    StripedPicture f = MakePicture();
    Window(f.picture, 0, stripeTop(0), oneStripe);
    const qint64 tileBytes = f.picture.TileBytes();
    ASSERT_GT(tileBytes, 0);

    // Room for two tiles. Drawn 0, 1, 0, 2: stripe 1's tile is the one given up.
    f.picture.SetTileBudget(tileBytes * 5 / 2);
    for (const int i : {0, 1, 0, 2})
        Window(f.picture, 0, stripeTop(i), oneStripe);
    EXPECT_EQ(f.picture.TileBytes(), 2 * tileBytes);
    // A tile still held shows a block recoloured in place; one given up is drawn anew.
    for (const RectShapeRef& block : f.blocks)
        block->SetFillColor(0x00C0C0);
    for (const int i : {2, 0, 1}) {  // drawing 1 last gives up no tile still to be checked
        SCOPED_TRACE(i);
        const QImage window = Window(f.picture, 0, stripeTop(i), oneStripe);
        const bool held = i != 1;
        EXPECT_EQ(LargestDifference(window, DirectWindow(f.picture, 0, stripeTop(i), oneStripe)) > 60, held);
    }
    f.picture.DropTiles();
    EXPECT_EQ(f.picture.TileBytes(), 0);

    // Windows meeting more stripes than the budget holds tiles for, and a
    // budget smaller than any tile: what does not fit is drawn shape by shape.
    for (const qint64 budget : {tileBytes * 3 / 2, tileBytes / 2}) {
        SCOPED_TRACE(budget);
        f.picture.SetTileBudget(budget);
        for (const int top : {0, 120, 30, 200, 0}) {
            SCOPED_TRACE(top);
            const QImage window = Window(f.picture, 0, top, Device{QSize(200, 160)});
            EXPECT_LE(f.picture.TileBytes(), budget);
            EXPECT_LE(LargestDifference(window, DirectWindow(f.picture, 0, top, Device{QSize(200, 160)})),
                      kTileTolerance);
        }
    }
}
