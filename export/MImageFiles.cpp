#include "export/MImageFiles.h"

#include "views/CSceneRenderer.h"
#include "views/Group2D.h"

#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace MImageFiles {

namespace {

// Qt maps PNG quality q to deflate level (100 - q) * 9 / 91; 80 gives level 1.
constexpr int kFastestCompressionQuality = 80;

}  // namespace

bool WritePng(const QString& path, const QImage& image)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // RGB888 makes the writer store three bytes a pixel, no alpha.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QImageWriter writer(&file, "png");
    // The fastest deflate level: maps are mostly flat colour, which it packs
    // as small as the default level does, in about two thirds of the time.
    writer.setQuality(kFastestCompressionQuality);
    if (!writer.write(rgb))
        return false;
    return file.commit();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

bool WriteSvg(const QString& path, const Group2D& group, const QSize& pageSize, const QString& title)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(pageSize);
    generator.setViewBox(QRect(QPoint(0, 0), pageSize));
    generator.setResolution(72);
    generator.setTitle(title);
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    CSceneRenderer::DrawObject(painter, group);
    if (!painter.end())
        return false;
    return file.commit();
}

}  // namespace MImageFiles
