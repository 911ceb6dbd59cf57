#include "export/CPdfDocumentWriter.h"

#include "views/CSceneRenderer.h"
#include "views/Group2D.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

CPdfDocumentWriter::CPdfDocumentWriter() = default;

// The painter must end before the writer and the file go.
CPdfDocumentWriter::~CPdfDocumentWriter()
{
    if (mPainter && mPainter->isActive())
        mPainter->end();
}

bool CPdfDocumentWriter::Open(const QString& path, const QSize& pageSize, const QString& title)
{
    Q_ASSERT(!mFile);
    mFile = std::make_unique<QSaveFile>(path);
    if (!mFile->open(QIODevice::WriteOnly))
        return false;
    mWriter = std::make_unique<QPdfWriter>(mFile.get());
    mWriter->setResolution(72);
    mWriter->setTitle(title);
    mWriter->setCreator(QStringLiteral("Karyoquill"));
    const QPageSize size(QSizeF(pageSize), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!mWriter->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF())))
        return false;
    return true;
}

bool CPdfDocumentWriter::AddPage(const Group2D& group)
{
    if (!mWriter)
        return false;
    if (!mPainter) {
        mPainter = std::make_unique<QPainter>();
        if (!mPainter->begin(mWriter.get()))
            return false;
    } else if (!mWriter->newPage()) {
        return false;
    }
    CSceneRenderer::DrawObject(*mPainter, group);
    return true;
}

bool CPdfDocumentWriter::Close()
{
    if (!mPainter || !mPainter->isActive())
        return false;
    if (!mPainter->end())
        return false;
    return mFile->commit();
}
