#pragma once

// Turns a fuzzer's input into a file the restore code reads. The input is
// the content of a block file frame; wrapping it in a frame with a matching
// digest lets the fuzzer reach the block readers (a mutated digest would stop
// every input at the frame). Shared by the fuzz targets and the corpus replay
// test, so both feed the restore code the same way.

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "project/CProject.h"
#include "project/MProjectFile.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/CPreferences.h"
#include "views/CMarkerData.h"
#include "views/CSceneRenderer.h"
#include "views/CViewConfig.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

namespace MFuzzInput {

inline QByteArray Framed(const QByteArray& content, const QString& tag, bool littleEndian)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        io.SetLittleEndian(littleEndian);
        CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
        tool.BeginFile(tag);
        io.WriteBytes(content);
        tool.EndFile();
    }
    return buffer.data();
}

// Builds, pages and renders each view as a window and an export would, into
// a small image: settings read from a file must not crash, hang or exhaust
// memory there either. Only the first few pages are drawn, to stay quick.
inline void DrawViews(CProject& project)
{
    constexpr int kPagesDrawn = 3;
    constexpr int kImageSide = 64;
    QImage image(kImageSide, kImageSide, QImage::Format_ARGB32_Premultiplied);
    // A linear map costs in proportion to its rows and the markers running
    // through them (the absurd-settings script measures large ones); here
    // only maps quick enough to build many times a second are built.
    constexpr double kMostRowPieces = 200000;
    for (int i = 0; i < project.ViewCount(); ++i) {
        CViewConfig& view = *project.View(i);
        view.SettingsProblem();
        if (const auto* linear = dynamic_cast<const CLinearViewConfig*>(&view)) {
            std::vector<CMarkerData> markers;
            view.PickUpMarkerData(markers);
            const double rows = (double(linear->EndLocate()) - double(linear->StartLocate()))
                / double(std::max(linear->Scale(), 1));
            if (rows * double(markers.size() + 1) > kMostRowPieces)
                continue;
        }
        view.MakeViewImage();
        for (int page = 0; page < std::min(view.PageCount(), kPagesDrawn); ++page) {
            const Group2DRef group = view.GetImage(page);
            const double side = std::max({1.0, double(view.PageWidth()), double(view.PageHeight())});
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(kImageSide / side, kImageSide / side);
            CSceneRenderer::DrawObject(painter, *group, -view.PageLeft(page), -view.PageTop(page));
        }
        // The window draws the picture's top-left corner.
        image.fill(Qt::white);
        QPainter painter(&image);
        view.DrawImage(painter, 0, 0);
    }
}

// Restores a project from a frame around content; the restore message.
inline QString RestoreProject(const QByteArray& content)
{
    QByteArray file = Framed(content, QString::fromLatin1(MProjectFile::kFileTag), true);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<CProject> project;
    const QString message = MProjectFile::RestoreFrom(buffer, project);
    if (message.isEmpty() && project) {
        // Walk what was read, as the windows would.
        for (int i = 0; i < project->FileCount(); ++i)
            project->File(i)->MaximumLocate();
        project->NextFileNumber();
        DrawViews(*project);
    }
    return message;
}

// Restores preferences from a frame around content; the number of entries.
inline int RestorePreferences(const QByteArray& content)
{
    QByteArray file = Framed(content, QString::fromLatin1(CPreferences::kFrameTag), false);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CPreferences preferences(QString(), QString(), CPreferences::Storage::MemoryOnly);
    preferences.RestoreFrom(buffer);
    return preferences.Count();
}

}  // namespace MFuzzInput
