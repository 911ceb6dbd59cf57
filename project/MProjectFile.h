#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class CProject;
class QIODevice;

// Whole project files: the block file frame tagged "KYQL" (little-endian,
// MD5-guarded) around the project block. Results are messages, empty on
// success: "Open Error" when the file cannot be created or opened, "Selected
// file is not Readable!!" when its frame does not match, otherwise the
// "WriteError"/"ReadError" message of the block that failed.
namespace MProjectFile {

extern const char* const kFileTag;      // "KYQL"
extern const char* const kOpenError;    // "Open Error"
extern const char* const kNotReadable;  // "Selected file is not Readable!!"

// Writes the project to path without ever harming the file already there:
// the new file is written beside it and replaces it only once complete and
// on disk. On failure the old file is untouched and the project keeps its
// modified flag. Cells shortened to fit are added to *shortenedCellCount.
QString Save(CProject& project, const QString& path, qint64* shortenedCellCount = nullptr);
// Writes the frame to a device open for reading and writing (the digest is
// computed by reading the content back).
QString SaveTo(CProject& project, QIODevice& device, qint64* shortenedCellCount = nullptr);

// Reads a project from path. On success *project is the new project; on
// failure it is left as it was.
QString Restore(const QString& path, std::unique_ptr<CProject>& project);
QString RestoreFrom(QIODevice& device, std::unique_ptr<CProject>& project);

}  // namespace MProjectFile
