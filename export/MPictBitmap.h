#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

class CPictStream;

// 24-bit bitmaps in version 2 pictures, as one DirectBitsRect each.
namespace MPictBitmap {

// The widest bitmap a DirectBitsRect can hold: its 14-bit row length counts
// four bytes a pixel.
constexpr int kMaximumWidth = 0x3FFF / 4;
constexpr int kMaximumHeight = 0x7FFF;

bool FitsPicture(const QSize& size);

// A whole picture file holding the image as its only drawing; empty when the
// image is null or does not fit.
QByteArray Picture(const QImage& image);

// Appends a DirectBitsRect that draws the whole image into destination.
// The image must fit (FitsPicture).
void AppendDirectBitsRect(CPictStream& stream, const QImage& image, const QRect& destination);

}  // namespace MPictBitmap
