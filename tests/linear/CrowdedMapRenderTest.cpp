#include "LinearMapTestSupport.h"

#include "linear/CStripedVectorImage.h"
#include "tests/views/SceneTestSupport.h"
#include "views/CSceneRenderer.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>


// A map as crowded as a whole genome's annotation at a coarse scale: arrows,
// names and bars piled hundreds deep in the first rank. What its windows leave
// out where it would change nothing shows nowhere.
TEST(CrowdedLinearMap, WindowsLookAsPaintedShapeByShape)
{
    QRandomGenerator random(3);
    std::vector<QByteArray> names;
    names.reserve(5000);
    std::vector<TestMarker> rows;
    for (int i = 0; i < 5000; ++i) {
        names.push_back("gene" + QByteArray::number(i * 7919 % 100000));
        const int start = random.bounded(200000);
        rows.push_back({start, start + 100 + random.bounded(2900), random.bounded(5) == 0 ? "repeat" : "cds",
                        random.bounded(2) == 0 ? "+" : "-", names.back().constData()});
    }
    TestMarkerFiles files;
    CFileData* data = files.Load(rows);
    for (const bool withNames : {false, true}) {
        SCOPED_TRACE(withNames ? "names" : "no names");
        auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Crowded map"));
        view->Add(data, "cds", "CDS", CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0x2040E0);
        view->Add(data, "repeat", "Repeat", CLinearViewConfig::kUpper, 0, 0xE04020);
        view->SetGenomeLength(203000);
        view->SetStartLocate(0);
        view->SetEndLocate(203000);
        view->SetScale(50000);
        view->SetDrawMarkerNames(withNames);
        view->MakeViewImage();
        const CStripedVectorImage* stripes = view->StripedImage();
        ASSERT_NE(stripes, nullptr);
        for (const int top : {0, view->ViewHeight() / 2 + 7}) {
            SCOPED_TRACE(top);
            // Shape by shape, as the map draws a window it keeps no tiles for.
            CStripedVectorImage direct = *stripes;
            direct.SetTileBudget(0);
            QImage window(800, 400, QImage::Format_RGB32);
            window.fill(Qt::white);
            QPainter painter(&window);
            direct.Draw(painter, 20, top, 400);
            painter.end();
            QImage tiled(800, 400, QImage::Format_RGB32);
            tiled.fill(Qt::white);
            painter.begin(&tiled);
            view->DrawImage(painter, -20, -top);
            painter.end();

            QImage reference(800, 400, QImage::Format_RGB32);
            reference.fill(Qt::white);
            painter.begin(&reference);
            // The stripes meeting the window, as the map draws them.
            for (int i = 0; i < stripes->Count(); ++i) {
                if (stripes->Top(i) <= top + 400 && stripes->Top(i) + stripes->Height(i) >= top)
                    CSceneRenderer::DrawObject(painter, *stripes->NthImage(i), -20, -top,
                                               CSceneRenderer::Stacked::PaintAll);
            }
            painter.end();
            EXPECT_LE(LargestDifference(window, reference), 2);
            // From tiles: under stacks hundreds deep of antialiased edges in
            // alternating colours, colours kept premultiplied in a tile round
            // apart by a few levels; painting such stacks in 8 bits at all is
            // tens of levels off exact, either way.
            EXPECT_LE(LargestDifference(tiled, reference), 8);
            EXPECT_LT(DifferingFraction(tiled, reference, 2), 0.001);
        }
    }
}
