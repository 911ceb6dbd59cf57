#pragma once

#include "export/CImageExportResult.h"

#include <QString>

class CViewConfig;

// Saves a view's map as image files, page by page, through the view's page
// interface; the view window and the batch tool call it once the user has
// chosen the kind, the file type and the target.
//
// Kinds: 0 a bitmap at one pixel per map unit, 1 a bitmap at two, 2 a vector
// picture. Bitmaps are written as PNG for kPngFileType and as PICT for any
// other type; a vector picture is always PICT. SVG and PDF are vector files
// of the page in map units whatever the kind. A map of one page goes to the
// target file itself; a map of several pages to a folder of page files
// P001, P002, ..., except PDF, which holds all pages in the target file.
namespace MImageExport {

inline const QString kPngFileType = QStringLiteral("PNG Files (*.PNG)");
inline const QString kPictFileType = QStringLiteral("PICT Files");
inline const QString kSvgFileType = QStringLiteral("SVG Files");
inline const QString kPdfFileType = QStringLiteral("PDF Files");
inline const QString kImagesFolderType = QStringLiteral("Images Folder");

enum Kind : int { kLowResolutionBitmap = 0, kHighResolutionBitmap = 1, kVectorPicture = 2 };

// The extension of the files written: ".png", ".pct", ".svg" or ".pdf".
QString FileExt(int kind, const QString& fileType);
// The file type actually written, as the save dialog names it.
QString FileFilter(int kind, const QString& fileType);
// Whether a map of pageCount pages is written into a folder.
bool WritesFolder(int pageCount, const QString& fileType);
// "P" + the 1-based page number formatted "000" + the extension.
QString PageFileName(int page, const QString& ext);

// Renders every page of the view and writes it to the target. Each page's
// group gets the page's scale and position for the time of its page and is
// given back its own afterwards, also when writing fails. The first page
// that cannot be written stops the export; pages already written stay.
CImageExportResult SaveImage(CViewConfig& view, int kind, const QString& fileType, const QString& target);

}  // namespace MImageExport
