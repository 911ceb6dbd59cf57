#pragma once

#include "core/CTable.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class CBinaryStream;

// One imported data file of a project: where its delimited text file lies,
// how it is read, which column plays which role, the table read from it, and
// after Finalize its classes, class counts and largest location.
//
// File reference: a std::optional<QFileInfo>; std::nullopt means "none". The
// data file finds its source again by folder path plus name (DirPath, Name),
// which is what the project file stores. Paths compare case-sensitively.
//
// Messages are strings, empty on success. Copies made with Copy/Clone share
// the table (it is never changed in place, only replaced).
class CFileData
{
public:
    // Column roles: index into Config/ConfigName.
    enum Role : int {
        kRoleStart = 0,
        kRoleEnd = 1,
        kRoleClass = 2,
        kRoleDirection = 3,
        kRoleName = 4,
    };
    static constexpr int kRoleCount = 5;

    // Units of the location columns.
    enum LocationUnit : int { kUnitBp = 0, kUnitKbp = 1 };

    // Locations are stored as 32-bit numbers in the project file.
    static constexpr qint64 kLargestLocation = 2147483647;
    static constexpr qint64 kSmallestLocation = -2147483648LL;

    CFileData();
    CFileData(const CFileData&) = delete;
    CFileData& operator=(const CFileData&) = delete;

    // Points the data file at a file; a load is then due.
    void SetFile(const std::optional<QFileInfo>& file);
    // The source file, located again from DirPath and Name when they changed;
    // the file need not exist. None when Name is empty or DirPath is not an
    // absolute path.
    std::optional<QFileInfo> File() const;

    void SetName(const QString& name);
    QString Name() const;
    void SetDirPath(const QString& dirPath);
    QString DirPath() const;

    // Checks the source file and detects its separator from the first line
    // (tab wins over comma; at least 3 fields). The separator changes only
    // when the test passes.
    QString TestFile();
    // Reads the table when a load is due. On any failure the data file keeps
    // its previous table, separator and state.
    QString LoadData();

    // Re-reads the file with another separator; refused silently (getter
    // unchanged) when that gives no row or fewer than 3 columns.
    void SetSeparatorType(int separatorType);
    int SeparatorType() const;

    // Data rows: table rows without the heading row when HasHeading.
    int RowCount() const;
    int ColumnCount() const;
    // Cell of a data row; empty when there is no table.
    QString Item(int dataRow, int column) const;

    void SetUnit(int unit);
    int Unit() const;
    void SetHasHeading(bool hasHeading);
    bool HasHeading() const;

    // Assigns a column to a role (-1 unassigns) and remembers its heading.
    void SetConfig(int role, int column);
    int Config(int role) const;

    // 0 when File yields none, 2 for an "MS Excel Files (*.xls)" file
    // (by its .xls extension), otherwise 1.
    int FileType() const;
    // The column's title: its heading cell when loaded with a heading and
    // the cell is not blank, else "Column" + (column + 1).
    QString Heading(int column) const;
    QString ConfigName(int role) const;
    // Unassigns roles whose column no longer exists or whose heading no
    // longer matches the remembered one (ignoring case); returns how many.
    int CheckConfig();
    bool Loaded() const;

    void SetFileNumber(qint32 fileNumber);
    qint32 FileNumber() const;

    // The column's data type; with no heading row the first row is folded in.
    int DataType(int column) const;

    // Computes classes (grouped ignoring case, in the form met first, sorted
    // ignoring case), their counts and the largest location, in 64 bits.
    void Finalize();
    int ClassCount() const;
    QString ClassName(int classIndex) const;
    int CountSpecifiedClass(int classIndex) const;
    // 0 when the class does not occur; ignores letter case.
    int CountSpecifiedClass(const QString& className) const;
    // Largest start or end, in bp (the kbp factor applied), never wrapping.
    qint64 MaximumLocate() const;

    std::unique_ptr<CFileData> Clone() const;
    void Copy(const CFileData& source);
    bool IsEqual(const CFileData& other) const;
    bool Modified() const;

    // Empty when every start and end of the data rows, in bp, fits the
    // 32 bits of the project file; otherwise a message naming the line of
    // the first one that does not and its value. Callers refuse such a file.
    QString CheckLocationRange() const;

    // The table (heading row included), or null before a load. Data rows
    // begin at FirstDataRow(). Markers are read through CTable's
    // allocation-free accessors.
    const CTable* Table() const;
    int FirstDataRow() const;

    // The "fdat" block of the project file, with the whole table: restoring
    // neither opens the source file nor needs it. Restoring refuses values
    // that no save writes (a role column past the table, a unit other than
    // bp or kbp, an unknown separator) and finalizes the file.
    QString Save(CBinaryStream& io, qint64* shortenedCellCount = nullptr) const;
    QString Restore(CBinaryStream& io);

private:
    QString SourcePath() const;

    mutable std::optional<QFileInfo> mFile;
    QString mName;
    QString mDirPath;
    std::shared_ptr<const CTable> mData;
    std::array<qint32, kRoleCount> mConfigMapping;
    bool mHasHeading = true;
    qint32 mUnit = kUnitBp;
    qint32 mSeparatorType = 0;
    bool mLoaded = false;
    std::array<QString, kRoleCount> mConfigName;
    qint32 mFileNumber = -1;
    mutable QList<qint32> mDataType;
    QStringList mClass;
    // Keyed by the case-folded class name, so lookups ignore letter case.
    QHash<QString, int> mCountSpecifiedClass;
    // In the file's own unit; 64-bit so that no location wraps.
    qint64 mMaximumLocate = 0;
    bool mModified = false;
};
