#include "export/MImageFiles.h"

#include "export/MPngEncoder.h"
#include "views/CSceneRenderer.h"
#include "views/Group2D.h"

#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace MImageFiles {

bool WritePng(const QString& path, const QImage& image)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!MPngEncoder::Write(file, image))
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
