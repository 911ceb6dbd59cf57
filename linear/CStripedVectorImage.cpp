#include "linear/CStripedVectorImage.h"

#include "views/CSceneRenderer.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// Pixels kept around a stripe's painted area: antialiasing reaches two.
constexpr int kTileMargin = 3;
// QImage and the raster engine keep sides below this.
constexpr double kLargestTileSide = 32767;

}

Group2DRef CStripedVectorImage::NewImage(int top, int height)
{
    auto group = std::make_shared<Group2D>();
    mGroup.push_back(group);
    mTop.push_back(top);
    mHeight.push_back(height);
    mLastIndex = Count() - 1;
    mLastGroup = group;
    return group;
}

size_t CStripedVectorImage::Resolve(int index) const
{
    const int resolved = index < 0 ? mLastIndex : index;
    Q_ASSERT(resolved >= 0 && resolved < Count());
    return size_t(resolved);
}

Group2DRef CStripedVectorImage::NthImage(int index) const
{
    // The caller may change the group.
    const size_t i = Resolve(index);
    DropTile(i);
    return mGroup[i];
}

void CStripedVectorImage::Append(Object2DRef shape)
{
    if (!mLastGroup)
        return;
    DropTile(size_t(mLastIndex));
    mLastGroup->Append(std::move(shape));
}

void CStripedVectorImage::Draw(QPainter& g, int x, int y, int height) const
{
    const bool useTiles = mTileBudget > 0 && TilesFit(g);
    // The picture rows landing on the device (or its clip).
    qint64 rowsTop = 0;
    qint64 rowsBottom = 0;
    if (useTiles) {
        QRect shown(0, 0, g.device()->width(), g.device()->height());
        if (g.hasClipping())
            shown &= g.deviceTransform().mapRect(g.clipBoundingRect()).toAlignedRect();
        const qint64 shift = qint64(y) - qint64(g.deviceTransform().dy());
        rowsTop = shown.top() + shift;
        rowsBottom = shown.bottom() + 1 + shift;
    }
    ++mDrawCount;
    const qint64 windowBottom = qint64(y) + height;
    for (size_t i = 0; i < mGroup.size(); ++i) {
        if (mTop[i] > windowBottom)
            break;
        if (qint64(mTop[i]) + mHeight[i] < y)
            continue;
        if (!useTiles) {
            CSceneRenderer::DrawObject(g, *mGroup[i], -x, -y);
            continue;
        }
        const Tile* tile = TileOf(i, rowsTop, rowsBottom);
        if (tile == nullptr) {
            CSceneRenderer::DrawObject(g, *mGroup[i], -x, -y);
            continue;
        }
        if (tile->validTop < tile->validBottom) {
            const QRectF rows(0, tile->validTop, tile->image.width(), tile->validBottom - tile->validTop);
            g.drawImage(QPointF(double(tile->origin.x()) - x, double(tile->origin.y()) + tile->validTop - y),
                        tile->image, rows);
        }
    }
}

bool CStripedVectorImage::RenderRows(const Group2D& group, Tile& tile, int top, int bottom)
{
    if (top >= bottom)
        return true;
    // On an image of those rows alone: under a clip the painter rounds the
    // edges of shapes differently.
    QImage rows(tile.image.width(), bottom - top, QImage::Format_ARGB32_Premultiplied);
    if (rows.isNull())
        return false;
    rows.fill(Qt::transparent);
    {
        QPainter painter(&rows);
        CSceneRenderer::DrawObject(painter, group, -double(tile.origin.x()), -(double(tile.origin.y()) + top));
    }
    for (int row = 0; row < rows.height(); ++row)
        std::memcpy(tile.image.scanLine(top + row), rows.constScanLine(row), size_t(rows.bytesPerLine()));
    return true;
}

bool CStripedVectorImage::TilesFit(const QPainter& g)
{
    // Source-over painting is associative: shapes painted on a transparent
    // tile and the tile painted on the device give the pixels painting the
    // shapes on the device gives, as long as the tile's pixels are the
    // device's pixels and each shape would be painted whole and unfaded.
    const QPaintDevice* device = g.device();
    if (device == nullptr || !g.isActive() || g.paintEngine() == nullptr
        || g.paintEngine()->type() != QPaintEngine::Raster)
        return false;
    const int type = device->devType();
    if (type != QInternal::Image && type != QInternal::Pixmap && type != QInternal::Widget)
        return false;
    if (device->devicePixelRatio() != 1 || g.opacity() != 1
        || g.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QTransform& toDevice = g.deviceTransform();
    if (toDevice.type() > QTransform::TxTranslate || toDevice.dx() != std::round(toDevice.dx())
        || toDevice.dy() != std::round(toDevice.dy()))
        return false;
    // A clip through part of a pixel would cover each shape partly: not the same.
    if (g.hasClipping()) {
        const QRectF clip = toDevice.mapRect(g.clipBoundingRect());
        if (clip != QRectF(clip.toAlignedRect()))
            return false;
    }
    return std::abs(toDevice.dy()) < INT_MAX / 2;
}

const CStripedVectorImage::Tile* CStripedVectorImage::TileOf(size_t index, qint64 rowsTop, qint64 rowsBottom) const
{
    const Group2D& group = *mGroup[index];
    const auto found = mTiles.find(index);
    if (found != mTiles.end()) {
        const Tile& known = found->second;
        const bool unchanged = known.group == &group && known.itemCount == group.Count() && known.x == group.X()
            && known.y == group.Y() && known.scale == group.Scale();
        if (!unchanged)
            DropTile(index);
    }
    Tile& tile = mTiles[index];
    if (tile.drawShapes)
        return nullptr;
    const auto neededRows = [&tile, rowsTop, rowsBottom]() {
        const qint64 top = std::max<qint64>(rowsTop - tile.origin.y(), 0);
        const qint64 bottom = std::min<qint64>(rowsBottom - tile.origin.y(), tile.image.height());
        return top < bottom ? std::pair<int, int>(int(top), int(bottom)) : std::pair<int, int>(0, 0);
    };
    if (!tile.image.isNull()) {
        tile.lastUse = mDrawCount;
        const auto [top, bottom] = neededRows();
        if (top >= bottom)
            return &tile;
        if (tile.validTop >= tile.validBottom) {
            if (!RenderRows(group, tile, top, bottom))
                return nullptr;
            tile.validTop = top;
            tile.validBottom = bottom;
            return &tile;
        }
        // The rendered rows stay one run: a gap is rendered with what is needed.
        if (!RenderRows(group, tile, std::min(top, tile.validTop), tile.validTop))
            return nullptr;
        tile.validTop = std::min(top, tile.validTop);
        if (!RenderRows(group, tile, tile.validBottom, std::max(bottom, tile.validBottom)))
            return nullptr;
        tile.validBottom = std::max(bottom, tile.validBottom);
        return &tile;
    }
    tile.group = &group;
    tile.itemCount = group.Count();
    tile.x = group.X();
    tile.y = group.Y();
    tile.scale = group.Scale();

    const std::optional<QRectF> area = CSceneRenderer::PaintedArea(group);
    if (!area) {
        tile.drawShapes = true;
        return nullptr;
    }
    const double left = std::floor(area->left()) - kTileMargin;
    const double top = std::floor(area->top()) - kTileMargin;
    const double width = std::ceil(area->right()) + kTileMargin - left;
    const double height = std::ceil(area->bottom()) + kTileMargin - top;
    const double bytes = width * height * 4;
    if (width > kLargestTileSide || height > kLargestTileSide || bytes > double(mTileBudget)
        || std::abs(left) > INT_MAX / 2 || std::abs(top) > INT_MAX / 2) {
        tile.drawShapes = true;
        return nullptr;
    }
    if (!MakeRoom(qint64(bytes)))
        return nullptr;  // the window holds too many: the next may not
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return nullptr;  // out of memory: draw the shapes
    image.fill(Qt::transparent);
    tile.image = std::move(image);
    tile.origin = QPoint(int(left), int(top));
    tile.validTop = 0;
    tile.validBottom = 0;
    mTileBytes += tile.image.sizeInBytes();
    mHeld.push_back(index);
    return TileOf(index, rowsTop, rowsBottom);
}

bool CStripedVectorImage::MakeRoom(qint64 bytes) const
{
    while (mTileBytes + bytes > mTileBudget) {
        auto oldest = mHeld.end();
        for (auto it = mHeld.begin(); it != mHeld.end(); ++it) {
            const quint64 use = mTiles[*it].lastUse;
            if (use < mDrawCount && (oldest == mHeld.end() || use < mTiles[*oldest].lastUse))
                oldest = it;
        }
        if (oldest == mHeld.end())
            return false;
        DropTile(*oldest);
    }
    return true;
}

void CStripedVectorImage::DropTile(size_t index) const
{
    if (mTiles.empty())
        return;  // while a picture is built
    const auto found = mTiles.find(index);
    if (found == mTiles.end())
        return;
    if (!found->second.image.isNull()) {
        mTileBytes -= found->second.image.sizeInBytes();
        mHeld.erase(std::find(mHeld.begin(), mHeld.end(), index));
    }
    mTiles.erase(found);
}

void CStripedVectorImage::DropTiles() const
{
    mTiles.clear();
    mHeld.clear();
    mTileBytes = 0;
}

void CStripedVectorImage::SetTileBudget(qint64 bytes)
{
    // Whether a stripe fits depends on the budget: judge every one again.
    DropTiles();
    mTileBudget = std::max<qint64>(0, bytes);
}

int CStripedVectorImage::Height(int index) const
{
    return mHeight[Resolve(index)];
}

void CStripedVectorImage::SetHeight(int index, int value)
{
    const size_t i = Resolve(index);
    DropTile(i);
    mHeight[i] = value;
}

void CStripedVectorImage::SetCurrent(int index)
{
    if (mGroup.empty())
        return;
    mLastIndex = index < 0 ? Count() - 1 : int(Resolve(index));
    mLastGroup = mGroup[size_t(mLastIndex)];
}

int CStripedVectorImage::Top(int index) const
{
    return mTop[Resolve(index)];
}

void CStripedVectorImage::SetTop(int index, int value)
{
    const size_t i = Resolve(index);
    const int old = mTop[i];
    if (value == old)
        return;
    DropTile(i);
    mTop[i] = value;
    mGroup[i]->SetY(mGroup[i]->Y() + (double(value) - old));
}
