#pragma once

#include "views/CSceneRenderer.h"
#include "views/Group2D.h"

#include <QColor>
#include <QImage>
#include <QPainter>

// Renders `object` into a white image and returns it.
inline QImage RenderScene(const Object2D& object, int width, int height, double x = 0, double y = 0)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    CSceneRenderer::DrawObject(painter, object, x, y);
    painter.end();
    return image;
}

inline bool ColorNear(QRgb actual, QRgb expected, int tolerance = 24)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

inline QString Describe(QRgb c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}
