#pragma once

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/Group2D.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// One data row of a test marker file.
struct TestMarker
{
    int start;
    int end;
    const char* cls;
    const char* direction;
    const char* name;
};

// Marker files written to a temporary folder and loaded as data files (kept
// here, as a project keeps them, while views refer to them):
// columns start, end, class, direction, name under a heading row.
class TestMarkerFiles
{
public:
    TestMarkerFiles() { EXPECT_TRUE(mDir.isValid()); }

    // withDirection false leaves the direction column unassigned.
    CFileData* Load(const std::vector<TestMarker>& rows, bool withDirection = true, bool withNames = true)
    {
        QByteArray text = "start\tend\tclass\tdirection\tname\n";
        for (const TestMarker& row : rows) {
            text += QByteArray::number(row.start) + '\t' + QByteArray::number(row.end) + '\t' + row.cls + '\t'
                + row.direction + '\t' + row.name + '\n';
        }
        const QString path = mDir.filePath(QStringLiteral("markers%1.tsv").arg(mCount++));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();

        auto data = std::make_unique<CFileData>();
        data->SetFile(QFileInfo(path));
        EXPECT_EQ(data->TestFile(), "");
        EXPECT_EQ(data->LoadData(), "");
        data->SetConfig(CFileData::kRoleStart, 0);
        data->SetConfig(CFileData::kRoleEnd, 1);
        data->SetConfig(CFileData::kRoleClass, 2);
        data->SetConfig(CFileData::kRoleDirection, withDirection ? 3 : -1);
        data->SetConfig(CFileData::kRoleName, withNames ? 4 : -1);
        data->SetFileNumber(mCount);
        data->Finalize();
        mFiles.push_back(std::move(data));
        return mFiles.back().get();
    }

private:
    QTemporaryDir mDir;
    std::vector<std::unique_ptr<CFileData>> mFiles;
    int mCount = 0;
};

// A configuration without title or legend, over start .. end at the scale.
inline std::unique_ptr<CLinearViewConfig> BareView(int start, int end, int scale)
{
    auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Test map"));
    view->SetDrawTitle(false);
    view->SetDrawLegendTitle(false);
    view->SetGenomeLength(1000000000);
    view->SetStartLocate(start);
    view->SetEndLocate(end);
    view->SetScale(scale);
    return view;
}

template <typename Shape>
std::vector<std::shared_ptr<Shape>> ItemsOfKind(const Group2D& group, Object2D::Kind kind)
{
    std::vector<std::shared_ptr<Shape>> found;
    for (const Object2DRef& item : group.Items()) {
        if (item->ObjectKind() == kind)
            found.push_back(std::static_pointer_cast<Shape>(item));
    }
    return found;
}

// The marker rectangles of a row stripe (the row's frame is a group and holds none).
inline std::vector<RectShapeRef> RowRects(const CLinearViewConfig& view, int stripe)
{
    return ItemsOfKind<RectShape>(*view.StripedImage()->NthImage(stripe), Object2D::Kind::Rect);
}

// The frame group that the map puts first in every row stripe.
inline Group2DRef RowFrame(const CLinearViewConfig& view, int stripe)
{
    const Group2DRef row = view.StripedImage()->NthImage(stripe);
    EXPECT_GT(row->Count(), 0);
    EXPECT_EQ(row->Item(0)->ObjectKind(), Object2D::Kind::Group);
    return std::static_pointer_cast<Group2D>(row->Item(0));
}

// Left edge of a rectangle centred on its X.
inline double LeftOf(const RectShape& rect)
{
    return rect.X() - rect.Width() / 2;
}

inline double TopOf(const RectShape& rect)
{
    return rect.Y() - rect.Height() / 2;
}
