#pragma once

#include <QtGlobal>

class CFileData;

// What a view needs of its project while it is read back from a project
// file: the data file behind each stored file number. The project implements
// it; views sit below the project and cannot name it.
class IProjectFiles
{
public:
    virtual ~IProjectFiles() = default;
    // The first data file with that number, or null when there is none.
    virtual CFileData* FileByFileNumber(qint32 fileNumber) const = 0;
};
