#pragma once

#include "views/CSceneRenderer.h"
#include "views/Group2D.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

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

// The same scene with every object in a group of its own: nothing is merged
// or skipped, so this is the picture painted object by object.
inline Group2D PaintedOneByOne(const Group2D& scene)
{
    Group2D plain;
    for (const Object2DRef& item : scene.Items()) {
        auto single = std::make_shared<Group2D>();
        single->Append(item);
        plain.Append(single);
    }
    return plain;
}

// Fraction of pixels whose colour differs by more than `tolerance` in a channel.
inline double DifferingFraction(const QImage& a, const QImage& b, int tolerance)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!ColorNear(a.pixel(x, y), b.pixel(x, y), tolerance))
                ++differing;
    return double(differing) / (a.width() * a.height());
}

// The scene painted with every stacked shape (see CSceneRenderer).
inline QImage RenderOneByOne(const Object2D& object, int width, int height, double x = 0, double y = 0,
                             double scale = 1)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    CSceneRenderer::DrawObject(painter, object, x, y, CSceneRenderer::Stacked::PaintAll);
    painter.end();
    return image;
}

// The largest difference of any channel of any pixel.
inline int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}
