#include "export/MImageExport.h"

#include "export/CImagePageFolder.h"
#include "export/CPdfDocumentWriter.h"
#include "export/CPictVectorWriter.h"
#include "export/MImageFiles.h"
#include "export/MPictBitmap.h"
#include "export/StPageGroupPlacement.h"
#include "views/CSceneRenderer.h"
#include "views/CViewConfig.h"
#include "views/Group2D.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <array>
#include <cmath>
#include <future>
#include <optional>

namespace MImageExport {

namespace {

enum class Format { Png, BitmapPict, VectorPict, Svg, Pdf };

constexpr double kInchesPerMetre = 1 / 0.0254;
constexpr double kScreenResolution = 72;
// QuickDraw coordinates are 16-bit.
constexpr int kLargestVectorPict = 0x7FFF;

Format FormatOf(int kind, const QString& fileType)
{
    if (fileType == kSvgFileType)
        return Format::Svg;
    if (fileType == kPdfFileType)
        return Format::Pdf;
    if (kind == kVectorPicture)
        return Format::VectorPict;
    return fileType == kPngFileType ? Format::Png : Format::BitmapPict;
}

bool IsBitmap(Format format)
{
    return format == Format::Png || format == Format::BitmapPict;
}

CImageExportResult Failure(const QString& message, int failedPage = -1, int pagesWritten = 0)
{
    return {message, failedPage, pagesWritten};
}

QString WriteFailedMessage(const QString& path)
{
    return QStringLiteral("Could not write the image file \"%1\".").arg(QDir::toNativeSeparators(path));
}

// Draws the page group into the bitmap, cleared to white first.
void RenderBitmap(QImage& bitmap, const Group2D& group)
{
    bitmap.fill(Qt::white);
    QPainter painter(&bitmap);
    CSceneRenderer::DrawObject(painter, group);
}

// A bitmap page being encoded and written on a second thread while the next
// page renders: on a crowded map encoding takes a fifth of a page's time,
// which the second core then hides.
struct PendingPage {
    std::future<bool> written;
    QString path;
    QString fileName;
    int page = 0;
};

std::future<bool> WriteInBackground(Format format, const QImage& bitmap, const QString& path)
{
    // The bitmap is not drawn on again before the write has been waited for.
    return std::async(std::launch::async, [format, &bitmap, path] {
        if (format == Format::Png)
            return MImageFiles::WritePng(path, bitmap);
        return MImageFiles::WriteBytes(path, MPictBitmap::Picture(bitmap));
    });
}

}  // namespace

QString FileExt(int kind, const QString& fileType)
{
    switch (FormatOf(kind, fileType)) {
    case Format::Png: return QStringLiteral(".png");
    case Format::Svg: return QStringLiteral(".svg");
    case Format::Pdf: return QStringLiteral(".pdf");
    case Format::BitmapPict:
    case Format::VectorPict: break;
    }
    return QStringLiteral(".pct");
}

QString FileFilter(int kind, const QString& fileType)
{
    return FormatOf(kind, fileType) == Format::VectorPict ? kPictFileType : fileType;
}

bool WritesFolder(int pageCount, const QString& fileType)
{
    return pageCount >= 2 && fileType != kPdfFileType;
}

QString PageFileName(int page, const QString& ext)
{
    return QStringLiteral("P%1%2").arg(page + 1, 3, 10, QChar('0')).arg(ext);
}

CImageExportResult SaveImage(CViewConfig& view, int kind, const QString& fileType, const QString& target)
{
    if (kind != kLowResolutionBitmap && kind != kHighResolutionBitmap && kind != kVectorPicture)
        return Failure(QStringLiteral("Unknown image kind %1.").arg(kind));
    const Format format = FormatOf(kind, fileType);
    const int pageCount = view.PageCount();
    const QSize pageSize(view.PageWidth(), view.PageHeight());
    if (pageCount < 1 || pageSize.isEmpty())
        return Failure(QStringLiteral("The map has no pages to save."));

    const int pixelsPerUnit = IsBitmap(format) && kind == kHighResolutionBitmap ? 2 : 1;
    // Two bitmaps take turns when there are several pages, so that one is
    // drawn while the other is written; one serves when memory is short.
    std::array<QImage, 2> bitmaps;
    int bitmapCount = 0;
    if (IsBitmap(format)) {
        const QSize pixelSize = pageSize * pixelsPerUnit;
        if (format == Format::BitmapPict && !MPictBitmap::FitsPicture(pixelSize))
            return Failure(QStringLiteral("The page is too large for a PICT file."));
        const int dotsPerMetre = static_cast<int>(std::lround(kScreenResolution * pixelsPerUnit * kInchesPerMetre));
        for (int i = 0; i < std::min(pageCount, 2); ++i) {
            QImage bitmap(pixelSize, QImage::Format_RGB32);
            if (bitmap.isNull())
                break;
            bitmap.setDotsPerMeterX(dotsPerMetre);
            bitmap.setDotsPerMeterY(dotsPerMetre);
            bitmaps[size_t(bitmapCount++)] = bitmap;
        }
        if (bitmapCount == 0) {
            return Failure(QStringLiteral("Not enough memory for an image of %1 x %2 pixels.")
                               .arg(pixelSize.width())
                               .arg(pixelSize.height()));
        }
    } else if (format == Format::VectorPict
               && (pageSize.width() > kLargestVectorPict || pageSize.height() > kLargestVectorPict)) {
        return Failure(QStringLiteral("The page is too large for a PICT file."));
    }

    const QString ext = FileExt(kind, fileType);
    const bool intoFolder = WritesFolder(pageCount, fileType);
    if (!intoFolder && QFileInfo(target).isDir()) {
        return Failure(QStringLiteral("\"%1\" is a folder. Choose a name for the image file.")
                           .arg(QDir::toNativeSeparators(target)));
    }
    CImagePageFolder folder;
    if (intoFolder) {
        if (const QString message = folder.Prepare(target); !message.isEmpty())
            return Failure(message);
    }
    std::optional<CPdfDocumentWriter> pdf;
    if (format == Format::Pdf) {
        pdf.emplace();
        if (!pdf->Open(target, pageSize, view.Name()))
            return Failure(WriteFailedMessage(target), 0);
    }

    QStringList written;
    std::optional<PendingPage> pending;
    // Waits for the page being written in the background, if any: records it
    // once written, or gives the failure to report.
    const auto finishPending = [&]() -> std::optional<CImageExportResult> {
        if (!pending)
            return std::nullopt;
        PendingPage done = std::move(*pending);
        pending.reset();
        if (done.written.get()) {
            written.append(done.fileName);
            return std::nullopt;
        }
        folder.Abandon();
        return Failure(WriteFailedMessage(done.path), done.page, static_cast<int>(written.size()));
    };

    for (int page = 0; page < pageCount; ++page) {
        const auto group = view.GetImage(page);
        Q_ASSERT(group);
        const StPageGroupPlacement restore(*group);
        if (pixelsPerUnit == 2)
            group->SetScale(2);
        const double scale = group->Scale();
        // The page's top-left corner lands on the picture's origin.
        group->SetX(-view.PageLeft(page) * scale);
        group->SetY(-view.PageTop(page) * scale);

        const QString fileName = PageFileName(page, ext);
        const QString path = intoFolder ? folder.PagePath(fileName) : target;
        if (IsBitmap(format)) {
            QImage& bitmap = bitmaps[size_t(page % bitmapCount)];
            // With one bitmap, the page before must be out of it first.
            if (bitmapCount == 1) {
                if (auto failure = finishPending())
                    return *failure;
            }
            RenderBitmap(bitmap, *group);
            if (auto failure = finishPending())
                return *failure;
            pending = PendingPage{WriteInBackground(format, bitmap, path), path, fileName, page};
            continue;
        }
        bool ok = false;
        switch (format) {
        case Format::VectorPict:
            ok = MImageFiles::WriteBytes(path, CPictVectorWriter::Picture(*group, pageSize));
            break;
        case Format::Svg:
            ok = MImageFiles::WriteSvg(path, *group, pageSize, view.Name());
            break;
        case Format::Pdf:
            ok = pdf->AddPage(*group);
            break;
        case Format::Png:
        case Format::BitmapPict:
            break;
        }
        if (!ok) {
            folder.Abandon();
            // A PDF that fails is not written at all.
            const int pagesWritten = format == Format::Pdf ? 0 : static_cast<int>(written.size());
            return Failure(WriteFailedMessage(path), page, pagesWritten);
        }
        written.append(fileName);
    }
    if (auto failure = finishPending())
        return *failure;

    if (pdf && !pdf->Close())
        return Failure(WriteFailedMessage(target));
    if (intoFolder) {
        if (const QString message = folder.Commit(written); !message.isEmpty())
            return Failure(message, -1, static_cast<int>(written.size()));
    }
    return {QString(), -1, static_cast<int>(written.size())};
}

}  // namespace MImageExport
