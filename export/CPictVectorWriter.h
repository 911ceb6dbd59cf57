#pragma once

#include "export/CPictStream.h"

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class Object2D;
class Group2D;
class RectShape;
class OvalShape;
class ArcShape;
class RoundRectShape;
class CurveShape;
class StringShape;
class FigureShape;
class PixmapShape;

// Writes a scene as a version 2 picture of QuickDraw drawing opcodes, object
// by object, so that programs reading the picture get shapes and text they
// can edit rather than a bitmap. Coordinates are rounded to whole map units,
// the resolution of the format.
class CPictVectorWriter
{
public:
    // A picture whose frame is (0, 0) to pageSize.
    explicit CPictVectorWriter(const QSize& pageSize);

    // Draws the group, its own X, Y and Scale applied, on top of what is drawn.
    void Draw(const Group2D& group);

    // The picture file's bytes; the writer is done afterwards.
    QByteArray Finish();

    // The whole picture of one group on a page of pageSize.
    static QByteArray Picture(const Group2D& group, const QSize& pageSize);

private:
    // Where an item's point (x, y) lands: (mX + mScale * x, mY + mScale * y).
    struct Placement {
        double mX = 0;
        double mY = 0;
        double mScale = 1;
        QPointF Map(double x, double y) const { return {mX + mScale * x, mY + mScale * y}; }
    };

    void DrawObject(const Object2D& object, const Placement& at);
    void DrawGroup(const Group2D& group, const Placement& at);
    void DrawRectangle(const RectShape& shape, const Placement& at, uint16_t paintOpcode);
    void DrawRoundRect(const RoundRectShape& shape, const Placement& at);
    void DrawArc(const ArcShape& shape, const Placement& at);
    void DrawCurve(const CurveShape& curve, const Placement& at);
    void DrawString(const StringShape& text, const Placement& at);
    void DrawFigure(const FigureShape& figure, const Placement& at);
    void DrawPixmap(const PixmapShape& pixmap, const Placement& at);

    // Paints the area inside outline when Fill is set, then frames it with the
    // pen when Border is set; frameOpcode + 1 is the matching paint opcode.
    void PaintAndFrame(const Object2D& shape, const QRectF& outline, double scale, uint16_t frameOpcode);
    void WritePolygon(uint16_t opcode, const std::vector<QPointF>& points);
    void WritePolyline(const std::vector<QPointF>& points, double penWidth);

    void SetForeColor(uint32_t rgb);
    // Returns the pen size in whole units that was set.
    int SetPenSize(double width);
    void SetOvalSize(int width, int height);
    void SetTextStyle(const QString& fontName, int size, int face);
    int FontNumber(const QString& fontName);

    CPictStream mStream;
    // What is set in the picture now, so unchanged settings are not repeated.
    int64_t mForeColor = -1;
    int mPenSize = 1;
    int mOvalWidth = 0;
    int mOvalHeight = 0;
    int mFontNumber = -1;
    int mTextSize = -1;
    int mTextFace = -1;
    QHash<QString, int> mFontNumbers;
};
