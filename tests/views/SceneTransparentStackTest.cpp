#include "SceneTestSupport.h"

#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// `picture`, painted on a transparent premultiplied image, shown over `background`.
QImage Shown(const QImage& picture, const QColor& background)
{
    QImage shown(picture.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(background);
    QPainter painter(&shown);
    painter.drawImage(0, 0, picture);
    painter.end();
    return shown;
}

QImage OnTransparent(const Object2D& scene, CSceneRenderer::Stacked stacked)
{
    QImage image(300, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    CSceneRenderer::DrawObject(painter, scene, 0, 0, stacked);
    painter.end();
    return image;
}

}  // namespace

// A transparent pixel is black in premultiplied form but holds no colour, and
// a nearly opaque one holds a colour only where whatever shows through it
// keeps it within two levels: what is left out on a transparent image shows
// over no background.
TEST(SceneStacks, LeftOutOnTransparentImagesOverAnyBackground)
{
    Group2D scene;
    QRandomGenerator random(11);
    for (int i = 0; i < 3000; ++i) {
        const double x = 4 + 240.0 * i / 3000 + random.bounded(3.0);
        const double width = 2 + random.bounded(20.0);
        switch (random.bounded(3)) {
        case 0: {
            auto bar = std::make_shared<RectShape>();
            MShape::SetRect(*bar, x, 4.5, width, 6);
            bar->SetFillColor(0xE04020);
            scene.Append(bar);
            break;
        }
        case 1:
            scene.Append(MShape::MakeHorizontalArrow(x, x + width, 20.3, 6, 0x000000, 0.5));
            break;
        default: {
            auto name = std::make_shared<StringShape>();
            name->SetTextSize(9);
            MStringShapeExt::SetString(*name, QStringLiteral("gene%1").arg(random.bounded(100)), x, 30, 1 | 8);
            scene.Append(name);
        }
        }
    }
    const QImage leftOut = OnTransparent(scene, CSceneRenderer::Stacked::LeaveOutSettled);
    const QImage everything = OnTransparent(scene, CSceneRenderer::Stacked::PaintAll);
    for (const QColor& background : {QColor(Qt::white), QColor(Qt::black), QColor(40, 160, 90)}) {
        SCOPED_TRACE(qPrintable(background.name()));
        EXPECT_LE(LargestDifference(Shown(leftOut, background), Shown(everything, background)), 2);
    }
}
