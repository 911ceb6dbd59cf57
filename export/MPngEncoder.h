#pragma once

#include <QImage>

class QIODevice;

// Writes 24-bit PNG images (8 bits a sample, RGB, no alpha, no interlace).
//
// Rows are stored unfiltered and packed at the fastest deflate level. Maps are
// mostly runs of flat colour, which deflate finds on its own; the general
// image writer tries every row filter on every row and spends about three
// times as long for a file no smaller. The image's dots per metre go into the
// file, so a page exported at twice the resolution says so.
namespace MPngEncoder {

// Alpha, if the image has any, is dropped: each pixel keeps its colour, made
// opaque. Returns false when the image is empty or a write fails.
bool Write(QIODevice& device, const QImage& image);

}  // namespace MPngEncoder
