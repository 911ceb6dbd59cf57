#include "core/MImportRules.h"

#include "core/CFileData.h"
#include "core/MTextFile.h"

namespace MImportRules {

const char* const kNoSuchDataType = "No such data type.";
const char* const kSelectNumericData = "Please select a numeric data.";

QString LoadSource(CFileData& data, const QString& dirPath, const QString& name)
{
    data.SetDirPath(dirPath.trimmed());
    data.SetName(name.trimmed());
    return data.LoadData();
}

bool ChooseSeparator(CFileData& data, int separatorType)
{
    data.SetSeparatorType(separatorType);
    return data.SeparatorType() == separatorType;
}

bool RoleNeedsIntegerColumn(int role)
{
    return role == CFileData::kRoleStart || role == CFileData::kRoleEnd;
}

QString AssignRole(CFileData& data, int role, int column)
{
    Q_ASSERT(role >= 0 && role < CFileData::kRoleCount);
    Q_ASSERT(column >= 0 && column < data.ColumnCount());
    if (RoleNeedsIntegerColumn(role) && data.DataType(column) != MTextFile::kDataTypeInteger)
        return QString::fromLatin1(kNoSuchDataType) + QLatin1Char('\n') + QString::fromLatin1(kSelectNumericData);
    data.SetConfig(role, column);
    return QString();
}

bool RequiredRolesAssigned(const CFileData& data)
{
    return data.Config(CFileData::kRoleStart) >= 0 && data.Config(CFileData::kRoleEnd) >= 0
           && data.Config(CFileData::kRoleClass) >= 0;
}

QString CheckFinish(const CFileData& data)
{
    return data.CheckLocationRange();
}

QString UnitName(int unit)
{
    return unit == CFileData::kUnitBp ? QStringLiteral("bp") : QStringLiteral("kbp");
}

int UnitFromName(const QString& name)
{
    if (name == QLatin1String("bp"))
        return CFileData::kUnitBp;
    if (name == QLatin1String("kbp"))
        return CFileData::kUnitKbp;
    return -1;
}

}  // namespace MImportRules
