#pragma once

#include "views/IProjectFiles.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class CBinaryStream;
class CFileData;
class CViewConfig;

// The in-memory project: the imported data files under their file numbers,
// the view configurations, the counters that number files and name new views,
// and the modified flag.
//
// The project owns its files and views. Views refer to files by file number
// and hold plain pointers to the project's CFileData objects, so a file object
// lives as long as it is in the project; replacing an edited file first points
// the views at the new object.
//
// The import wizard works on a CFileData of its own; once the user confirms,
// AddImportedFile (a new file) or ReplaceFile (an edited copy) carries out the
// steps that follow, so a tool without windows imports the same way.
class CProject : public IProjectFiles
{
public:
    // Flag bit of a file shown selected (checked) in the project window.
    static constexpr qint32 kFileSelectedFlag = 1;

    CProject();
    ~CProject() override;

    CProject(const CProject&) = delete;
    CProject& operator=(const CProject&) = delete;

    // Reads the "proj" block: every data file with its table, then every
    // view. Empty on success; otherwise "ReadError", NUL and the identifier
    // of the innermost block and field that failed. On failure the project
    // is partly filled and is to be discarded.
    QString Restore(CBinaryStream& io);
    // Writes the "proj" block. Empty on success (the modified flag is then
    // cleared); otherwise "WriteError", NUL and an identifier. Cells longer
    // than a stored cell can hold (255 bytes of UTF-8) are shortened to whole
    // characters; their number is added to *shortenedCellCount when given.
    QString Save(CBinaryStream& io, qint64* shortenedCellCount = nullptr);

    int FileCount() const;
    bool FileSelected(int index) const;
    qint32 FileFlags(int index) const;
    CFileData* File(int index) const;
    // Takes the file, its number and its flag word out of the project. Views
    // keep their entries of that number.
    void RemoveFile(int index);

    int ViewCount() const;
    CViewConfig* View(int index) const;

    // Hands out the lowest free number at or above the counter, never one in
    // use; the counter restarts at 0 after the largest 32-bit value.
    qint32 NextFileNumber();

    // What follows a confirmed import: numbers the file, computes its
    // classes (Finalize), appends it selected, marks the project modified.
    // Returns the new file's index.
    int AddImportedFile(std::unique_ptr<CFileData> file);
    // What follows a confirmed edit of file `index`: the edited copy (same
    // file number) takes its place and is finalized, and the views are
    // pointed at it. Number and flag word stay with the index.
    void ReplaceFile(int index, std::unique_ptr<CFileData> edited);

    // Points every view's entries of this file's number at this object.
    void UpdateViewFile(CFileData* file);
    void AddView(std::unique_ptr<CViewConfig> view);
    qint32 NextNewCircleViewNumber();
    qint32 NextNewLinearViewNumber();
    // Index of the first file with the same file number, -1 if none.
    int IndexOfFile(const CFileData* file) const;
    // Closes the views' windows and empties the project.
    void Close();
    // Recomputes whether some file has a column for the marker name.
    void FileUpdate();
    bool MakerNameAssigned() const;
    CFileData* FileByFileNumber(qint32 fileNumber) const override;
    void SetModified();
    bool Modified() const;

    // The counters as stored in the project file.
    qint32 NextFileNumberCounter() const { return mNextFileNumber; }
    qint32 NextCircleViewNumberCounter() const { return mNextCircleViewNumber; }
    qint32 NextLinearViewNumberCounter() const { return mNextLinearViewNumber; }

private:
    std::vector<std::unique_ptr<CFileData>> mFile;
    std::vector<qint32> mFileFlags;
    // Files taken out by RemoveFile, kept while views may still point at them.
    std::vector<std::unique_ptr<CFileData>> mRemovedFile;
    std::vector<std::unique_ptr<CViewConfig>> mView;
    // The file numbers in use (the value is the file holding the number).
    QHash<qint32, CFileData*> mFileNumbers;
    qint32 mNextFileNumber = 0;
    qint32 mNextCircleViewNumber = 0;
    qint32 mNextLinearViewNumber = 0;
    bool mMarkerNameAssigned = false;
    bool mModified = false;
};
