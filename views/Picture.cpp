#include "views/Picture.h"

#include <algorithm>

namespace {
QImage::Format FormatForDepth(int depth)
{
    switch (depth) {
    case 1: return QImage::Format_Mono;
    case 8: return QImage::Format_Grayscale8;
    case 24: return QImage::Format_RGB32;
    default: return QImage::Format_ARGB32_Premultiplied;
    }
}
}

Picture::Picture(int width, int height, int depth)
    : mWidth(std::max(width, 0))
    , mHeight(std::max(height, 0))
    , mDepth(depth > 0 ? depth : 32)
    , mBitmap(mWidth, mHeight, FormatForDepth(mDepth))
{
    mBitmap.fill(Qt::white);
}

Picture::Picture(int width, int height, Group2DRef objects)
    : mWidth(std::max(width, 0)), mHeight(std::max(height, 0)), mDepth(0), mObjects(std::move(objects))
{
}
