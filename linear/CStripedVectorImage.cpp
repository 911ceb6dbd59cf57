#include "linear/CStripedVectorImage.h"

#include "views/CSceneRenderer.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

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
    ++mDrawCount;
    const qint64 windowBottom = qint64(y) + height;
    for (size_t i = 0; i < mGroup.size(); ++i) {
        if (mTop[i] > windowBottom)
            break;
        if (qint64(mTop[i]) + mHeight[i] < y)
            continue;
        if (const Tile* tile = useTiles ? TileOf(i) : nullptr)
            g.drawImage(QPointF(double(tile->origin.x()) - x, double(tile->origin.y()) - y), tile->image);
        else
            CSceneRenderer::DrawObject(g, *mGroup[i], -x, -y);
    }
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
    return toDevice.type() <= QTransform::TxTranslate && toDevice.dx() == std::round(toDevice.dx())
        && toDevice.dy() == std::round(toDevice.dy());
}

const CStripedVectorImage::Tile* CStripedVectorImage::TileOf(size_t index) const
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
    if (!tile.image.isNull()) {
        tile.lastUse = mDrawCount;
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
    QPainter painter(&image);
    CSceneRenderer::DrawObject(painter, group, -left, -top);
    painter.end();
    tile.image = std::move(image);
    tile.origin = QPoint(int(left), int(top));
    tile.lastUse = mDrawCount;
    mTileBytes += tile.image.sizeInBytes();
    mHeld.push_back(index);
    return &tile;
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
