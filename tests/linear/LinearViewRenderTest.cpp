#include "linear/CLinearViewConfig.h"

#include "tests/linear/LinearMapTestSupport.h"

#include <QImage>
#include <QPainter>

namespace {

constexpr RgbColor kUpperColor = 0x00A000;
constexpr RgbColor kBottomColor = 0x2040E0;

bool Near(QRgb actual, RgbColor expected, int tolerance = 16)
{
    return std::abs(qRed(actual) - int((expected >> 16) & 0xFF)) <= tolerance
        && std::abs(qGreen(actual) - int((expected >> 8) & 0xFF)) <= tolerance
        && std::abs(qBlue(actual) - int(expected & 0xFF)) <= tolerance;
}

QImage Render(CLinearViewConfig& view, int width, int height, int x, int y)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.DrawImage(painter, x, y);
    painter.end();
    return image;
}

}  // namespace

TEST(LinearViewRender, UpperBarAndBottomMarkerLandWhereLaidOut)
{
    TestMarkerFiles files;
    // Scale 800: one unit per bp. No title or legend: the row's top is 20 and its axis at 40.
    auto view = BareView(0, 800, 800);
    view->SetDrawMarkerNames(false);
    view->Add(files.Load({{100, 300, "u", "", ""}}, false), "u", "u", CLinearViewConfig::kUpper, 0, kUpperColor);
    view->Add(files.Load({{400, 600, "b", "", ""}}, false), "b", "b", CLinearViewConfig::kBottom,
              CLinearViewConfig::kRectangle, kBottomColor);
    view->MakeViewImage();
    ASSERT_EQ(view->ViewHeight(), 20 + 53 + 20);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("map.png"));
    ASSERT_TRUE(Render(*view, view->ViewWidth(), view->ViewHeight(), 0, 0).save(path, "PNG"));
    const QImage map(path);
    ASSERT_EQ(map.size(), QSize(840, 93));

    struct Probe { int x; int y; RgbColor expected; const char* what; };
    const Probe probes[] = {
        {220, 36, kUpperColor, "Upper bar (x 120..320, y 33..39)"},
        {122, 34, kUpperColor, "Upper bar near its top left corner"},
        {220, 30, 0xFFFFFF, "above the Upper bar"},
        {330, 36, 0xFFFFFF, "right of the Upper bar"},
        {520, 46, kBottomColor, "Bottom rectangle (x 420..620, y 43..49)"},
        {520, 52, 0xFFFFFF, "below the Bottom rectangle"},
        {700, 46, 0xFFFFFF, "right of the Bottom rectangle"},
        {520, 36, 0xFFFFFF, "above the axis over the Bottom rectangle"},
    };
    for (const Probe& p : probes) {
        const QRgb pixel = map.pixel(p.x, p.y);
        EXPECT_TRUE(Near(pixel, p.expected))
            << p.what << ": rgb(" << qRed(pixel) << "," << qGreen(pixel) << "," << qBlue(pixel) << ")";
    }
    // The rectangle's outline is black.
    EXPECT_LT(qGray(map.pixel(520, 43)), qGray(map.pixel(520, 46)));
    // The axis runs along y = 40.
    EXPECT_LT(qGray(map.pixel(700, 40)), 200);
}

TEST(LinearViewRender, DrawImageShowsTheWindowAtItsOffset)
{
    TestMarkerFiles files;
    auto view = BareView(0, 8000, 800);  // ten rows, 20 high: row r starts at 20 + 35 r
    view->Add(files.Load({{7700, 7900, "u", "", ""}}, false), "u", "u", CLinearViewConfig::kUpper, 0, kUpperColor);
    view->MakeViewImage();
    ASSERT_EQ(view->StripedImage()->Top(9), 335);

    // A 100 x 40 window whose top left is picture point (100, 330).
    const QImage window = Render(*view, 100, 40, -100, -330);
    // Row 9 holds the bar from x 520 to 720 at y 335 + 13 .. 335 + 19.
    EXPECT_TRUE(Near(window.pixel(50, 5 + 16), 0xFFFFFF));  // x 150 is left of the bar
    const QImage bar = Render(*view, 100, 40, -600, -330);
    EXPECT_TRUE(Near(bar.pixel(50, 5 + 16), kUpperColor));

    CLinearViewConfig unbuilt(QStringLiteral("empty"));
    const QImage nothing = Render(unbuilt, 10, 10, 0, 0);
    EXPECT_TRUE(Near(nothing.pixel(5, 5), 0xFFFFFF));
}
