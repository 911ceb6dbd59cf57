#pragma once

#include <QSaveFile>
#include <QSize>
#include <QString>

#include <memory>

class Group2D;
class QPainter;
class QPdfWriter;

// A PDF of one page per group, each pageSize map units (one unit a point),
// drawn through the scene renderer so that text stays text. The file replaces
// the target only when Close succeeds.
class CPdfDocumentWriter
{
public:
    CPdfDocumentWriter();
    ~CPdfDocumentWriter();
    CPdfDocumentWriter(const CPdfDocumentWriter&) = delete;
    CPdfDocumentWriter& operator=(const CPdfDocumentWriter&) = delete;

    // Returns false when the file cannot be created.
    bool Open(const QString& path, const QSize& pageSize, const QString& title);
    // Draws the group on a new page; false when the document is not open.
    bool AddPage(const Group2D& group);
    // Finishes the document and puts it in place; false when it could not be written.
    bool Close();

private:
    std::unique_ptr<QSaveFile> mFile;
    std::unique_ptr<QPdfWriter> mWriter;
    std::unique_ptr<QPainter> mPainter;
};
