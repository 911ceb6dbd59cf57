#pragma once

#include <QString>

class CFileData;

// The checks the import wizard applies while the user points a data file at
// its source, chooses the separator and assigns columns to roles. The batch
// tool applies the same ones, so both refuse and accept the same input.
namespace MImportRules {

// Fewest columns a separator must give for the file to be usable.
inline constexpr int kMinimumColumnCount = 3;

extern const char* const kNoSuchDataType;     // "No such data type."
extern const char* const kSelectNumericData;  // "Please select a numeric data."

// Points the data file at its source (folder and name trimmed of spaces) and
// reads it; a load happens only when one of them changed. Returns the data
// file's test or load message, empty on success.
QString LoadSource(CFileData& data, const QString& dirPath, const QString& name);

// Re-reads the file with another separator. False when refused because the
// separator gives no row or fewer than kMinimumColumnCount columns; the
// previous separator and table then stay.
bool ChooseSeparator(CFileData& data, int separatorType);

// Start and end locations must come from an integer column.
bool RoleNeedsIntegerColumn(int role);

// Assigns a column to a role. A start or end column whose data type is not
// integer is refused with the two lines kNoSuchDataType and
// kSelectNumericData joined by a line feed; the role then stays as it was.
// One column may serve several roles.
QString AssignRole(CFileData& data, int role, int column);

// Start, end and class are assigned: the import can be finished.
bool RequiredRolesAssigned(const CFileData& data);

// What finishing refuses although the roles are assigned: a location that
// does not fit the project file. Empty when the file can be finished.
QString CheckFinish(const CFileData& data);

// "bp" or "kbp" for a unit code; the unit code of such a name, -1 otherwise.
QString UnitName(int unit);
int UnitFromName(const QString& name);

}  // namespace MImportRules
