#pragma once

#include "views/Group2D.h"

#include <QImage>
#include <QPoint>

#include <unordered_map>
#include <vector>

class QPainter;

// A tall picture held as horizontal stripes, each a Group2D with a recorded
// top and height (y downward). Shapes are appended to the current stripe.
// Stripes are expected in order of increasing top: drawing stops at the first
// one below the window. Wherever an index is taken, a negative one means the
// current stripe; other indices must lie in 0 .. Count()-1.
//
// A window scrolling over a tall picture paints the same stripes again and
// again, so on raster devices under a whole-pixel translation each stripe is
// rendered once into a transparent tile (the rows windows have shown of it)
// and drawn from it afterwards: the same pixels as drawing the shapes, but for
// a few levels of rounding where antialiased edges are blended into the tile
// and the tile into the device. Tiles are kept within a memory budget, the
// least recently drawn given up first; a stripe whose tile would not fit is
// drawn shape by shape. Changing a stripe through this class, or taking its
// group with NthImage, drops its tile; so does adding, removing or moving the
// group's items elsewhere, which Draw notices. Other changes made in place to
// shapes already drawn need DropTiles. The tiles are a cache behind const
// methods: not thread-safe, use the image from the GUI thread only (as the
// text measuring it draws with).
class CStripedVectorImage
{
public:
    static constexpr qint64 kDefaultTileBudget = qint64(64) << 20;

    CStripedVectorImage() = default;

    // Appends an empty stripe, makes it current and returns its group.
    Group2DRef NewImage(int top, int height);
    Group2DRef NthImage(int index) const;
    int Count() const { return int(mGroup.size()); }
    // Appends to the current stripe; ignored while there is none.
    void Append(Object2DRef shape);
    // Paints the stripes meeting the band y .. y + height so that the picture
    // point (x, y) lands on the painter's origin.
    void Draw(QPainter& g, int x, int y, int height) const;
    // Bytes of tiles kept at most; 0 keeps none.
    void SetTileBudget(qint64 bytes);
    qint64 TileBudget() const { return mTileBudget; }
    // Bytes of tiles held now.
    qint64 TileBytes() const { return mTileBytes; }
    void DropTiles() const;
    int Height(int index) const;
    // Only the recorded number changes, not the group.
    void SetHeight(int index, int value);
    // A negative index selects the last stripe.
    void SetCurrent(int index);
    int Top(int index) const;
    // Moves the stripe's group down by the change of its recorded top.
    void SetTop(int index, int value);

    int CurrentIndex() const { return mLastIndex; }

private:
    // A stripe rendered once, with what its group looked like then.
    struct Tile
    {
        QImage image;  // null while none is held
        QPoint origin;  // the picture point of the image's top left
        // The image rows rendered so far, validTop .. validBottom - 1: a
        // window paints only the rows it shows.
        int validTop = 0;
        int validBottom = 0;
        quint64 lastUse = 0;
        // No tile can be made for the stripe (too large for the budget, or
        // of unknown extent): its shapes are drawn.
        bool drawShapes = false;
        const Group2D* group = nullptr;  // null: nothing known
        int itemCount = 0;
        double x = 0;
        double y = 0;
        double scale = 1;
    };

    size_t Resolve(int index) const;
    // Whether tiles drawn on the painter land exactly as the shapes would.
    static bool TilesFit(const QPainter& g);
    // The stripe's tile with at least its rows within the picture rows
    // rowsTop .. rowsBottom - 1 rendered, made now if needed; null when the
    // stripe is drawn shape by shape.
    const Tile* TileOf(size_t index, qint64 rowsTop, qint64 rowsBottom) const;
    // False when there is no memory for it.
    static bool RenderRows(const Group2D& group, Tile& tile, int top, int bottom);
    // Gives up tiles not drawn by the current Draw, least recently drawn first,
    // until `bytes` more fit the budget; false when they cannot.
    bool MakeRoom(qint64 bytes) const;
    void DropTile(size_t index) const;

    std::vector<Group2DRef> mGroup;
    std::vector<int> mTop;
    std::vector<int> mHeight;
    Group2DRef mLastGroup;
    int mLastIndex = 0;

    qint64 mTileBudget = kDefaultTileBudget;
    // By stripe index; only stripes drawn since they last changed have one.
    mutable std::unordered_map<size_t, Tile> mTiles;
    mutable std::vector<size_t> mHeld;  // stripes whose tile holds an image
    mutable qint64 mTileBytes = 0;
    // Counts Draw calls: tiles used by the current one are never given up for it.
    mutable quint64 mDrawCount = 0;
};
