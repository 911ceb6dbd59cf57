#pragma once

#include "core/CFileData.h"
#include "views/Group2D.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Data files for view tests: written to a temporary folder, loaded, roles
// assigned (start, end, class, direction, name by column; -1 for none) and
// finalized as the import wizard leaves them.
class ViewDataFiles
{
public:
    ViewDataFiles() { EXPECT_TRUE(mDir.isValid()); }

    std::unique_ptr<CFileData> Make(const QString& name, const QByteArray& text, int unit = CFileData::kUnitBp,
                                    int directionColumn = 3, int nameColumn = 4, int fileNumber = 1) const
    {
        QFile file(mDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        return Load(QFileInfo(file.fileName()), unit, directionColumn, nameColumn, fileNumber);
    }

    static std::unique_ptr<CFileData> Load(const QFileInfo& path, int unit = CFileData::kUnitBp,
                                           int directionColumn = 3, int nameColumn = 4, int fileNumber = 1)
    {
        auto data = std::make_unique<CFileData>();
        data->SetFile(path);
        EXPECT_EQ(data->LoadData(), QString());
        data->SetConfig(CFileData::kRoleStart, 0);
        data->SetConfig(CFileData::kRoleEnd, 1);
        data->SetConfig(CFileData::kRoleClass, 2);
        data->SetConfig(CFileData::kRoleDirection, directionColumn);
        data->SetConfig(CFileData::kRoleName, nameColumn);
        data->SetUnit(unit);
        data->SetFileNumber(fileNumber);
        data->Finalize();
        return data;
    }

private:
    QTemporaryDir mDir;
};

template <typename Shape>
std::shared_ptr<Shape> ItemAs(const Group2D& group, int index)
{
    EXPECT_LT(index, group.Count());
    if (index >= group.Count())
        return nullptr;
    auto shape = std::dynamic_pointer_cast<Shape>(group.Item(index));
    EXPECT_TRUE(shape) << "item " << index << " has another kind";
    return shape;
}
