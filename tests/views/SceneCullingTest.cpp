#include "SceneTestSupport.h"

#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/RectShape.h"
#include "views/RoundRectShape.h"
#include "views/StringShape.h"

#include <gtest/gtest.h>

namespace {

// Rows of arrows, bars, pointed boxes, rounded boxes and names, in moved and
// scaled groups: everything a map window may cut through.
Group2DRef DenseScene()
{
    auto scene = std::make_shared<Group2D>();
    for (int row = 0; row < 6; ++row) {
        auto stripe = std::make_shared<Group2D>();
        stripe->SetY(20 + 70 * row);
        stripe->SetX(row % 2 == 0 ? 0 : 3.5);
        if (row == 5)
            stripe->SetScale(1.5);
        for (int i = 0; i < 60; ++i) {
            const double x = 5 + i * 13 % 290;
            const RgbColor color = i % 3 == 0 ? 0x2040E0 : 0xE04020;
            stripe->Append(MShape::MakeHorizontalArrow(x, x + 20 + i % 7, 10 + i % 4 * 5, 6, color, 1));
            auto bar = std::make_shared<RectShape>();
            MShape::SetRect(*bar, x, 2, 4 + i % 9, 6);
            bar->SetFillColor(color);
            stripe->Append(bar);
            auto box = std::make_shared<FigureShape>();
            box->AddLine(x, 34, x + 12, 34);
            box->AddLine(x + 12, 34, x + 15, 37);
            box->AddLine(x + 15, 37, x + 12, 40);
            box->AddLine(x + 12, 40, x, 40);
            box->SetFillColor(color);
            box->SetBorder(100);
            stripe->Append(box);
            auto name = std::make_shared<StringShape>();
            name->SetTextSize(10);
            MStringShapeExt::SetString(*name, QStringLiteral("gene%1").arg(i), x, 52, 1);
            stripe->Append(name);
        }
        auto round = std::make_shared<RoundRectShape>();
        MShape::SetRect(*round, 250, 40, 40, 20);
        round->SetCornerWidth(8);
        round->SetCornerHeight(8);
        round->SetFillColor(0x30A030);
        stripe->Append(round);
        scene->Append(stripe);
    }
    return scene;
}

}  // namespace

// Leaving out what lies outside the window must not change a pixel inside it,
// wherever the window cuts through shapes, names and groups.
TEST(SceneCulling, WindowMatchesTheSameCutOfTheWholePicture)
{
    const Group2DRef scene = DenseScene();
    const QImage whole = RenderScene(*scene, 320, 480);

    struct Window
    {
        int left;
        int top;
        int width;
        int height;
    };
    const Window windows[] = {{0, 0, 320, 60}, {37, 61, 90, 53}, {150, 125, 170, 141}, {3, 369, 200, 111}};
    for (const Window& w : windows) {
        SCOPED_TRACE(QStringLiteral("%1,%2 %3x%4").arg(w.left).arg(w.top).arg(w.width).arg(w.height).toStdString());
        const QImage part = RenderScene(*scene, w.width, w.height, -w.left, -w.top);
        EXPECT_EQ(part, whole.copy(w.left, w.top, w.width, w.height));

        // The same through a clip on a larger device.
        QImage clipped(320, 480, QImage::Format_ARGB32_Premultiplied);
        clipped.fill(Qt::white);
        QPainter painter(&clipped);
        painter.setClipRect(w.left, w.top, w.width, w.height);
        CSceneRenderer::DrawObject(painter, *scene);
        painter.end();
        EXPECT_EQ(clipped.copy(w.left, w.top, w.width, w.height), whole.copy(w.left, w.top, w.width, w.height));
    }
}
