#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class Group2D;

// Writes one page to one file. Every writer goes through a temporary file that
// replaces the target only once it is complete, so a failed write never
// leaves a half-written file or destroys an earlier one. Each returns whether
// the file was written.
namespace MImageFiles {

// A 24-bit PNG.
bool WritePng(const QString& path, const QImage& image);

// Bytes prepared in memory, such as a picture file.
bool WriteBytes(const QString& path, const QByteArray& bytes);

// An SVG of the group on a page of pageSize map units (one unit a user unit
// of the SVG, shown at 72 units an inch), drawn through the scene renderer;
// text stays text.
bool WriteSvg(const QString& path, const Group2D& group, const QSize& pageSize, const QString& title);

}  // namespace MImageFiles
